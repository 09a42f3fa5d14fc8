#!/usr/bin/env bash
# The clipboard and the capture hotkey of the real program under Wine + Xvfb.
# Wine exports the Windows clipboard to the X clipboard, so what the program
# offered is read back with xclip from the X side.
#
#   tests/e2e/daily_use_e2e.sh [case ...]    cases: copyafter copybutton hotkey inuse
#                                            (default: all)
#   copyafter   a capture with copyAfterCapture=1: the clipboard's image/png is
#               the saved file, byte for byte
#   copybutton  copyAfterCapture=0, the clipboard cleared after the capture; the
#               Copy image button puts the saved file there
#   hotkey      Ctrl+Shift+PrintScreen pressed while the fixture has the focus
#               starts the selection; the saved image matches the fixture's page
#   inuse       the fixture holds the chord first: the settings window reports
#               it in the hotkey row, and the chord still reaches the fixture
# Environment: TF_E2E_BUILD, TF_E2E_WORK, TF_WINE_PREFIX, TF_COMPARE_TRUTH as in
# capture_e2e.sh. Uses the DISPLAY given when it is usable.
set -u
repo="$(cd "$(dirname "$0")/../.." && pwd)"
build="${TF_E2E_BUILD:-$repo/build/e2e-win}"
work="${TF_E2E_WORK:-$repo/build/e2e-daily-use}"
page="$repo/tests/data/corpus/debref-ch05/truth.png"
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(copyafter copybutton hotkey inuse)

label=daily-use-e2e
. "$repo/tests/e2e/gui_e2e_lib.sh"
e2e_prepare 0 0

# Ctrl+Shift (MOD_CONTROL | MOD_SHIFT) and VK_SNAPSHOT, for the fixture's --hold-hotkey.
CHORD_MODIFIERS=6 CHORD_KEY=44
write_settings() {  # folder copyAfterCapture
    write_settings_lines "captureFolder=$(tf_winpath "$1")" language=en-US openAfterCapture=0 captureLoggingEnabled=0 \
        "copyAfterCapture=$2" captureHotkey=Ctrl+Shift+PrintScreen
}
geometry() { eval "$(xdotool getwindowgeometry --shell "$1")"; X=$X; Y=$Y; W=$WIDTH; H=$HEIGHT; }
clipboard_targets() { timeout 10 xclip -selection clipboard -t TARGETS -o 2>/dev/null; }
clipboard_png() { timeout 30 xclip -selection clipboard -t image/png -o > "$1" 2>/dev/null; }

start_daily_fixture() {  # dir [fixture args...]
    local dir="$1"; shift
    start_fixture "$dir" $((FX + 40)) $((FY + 10)) $((FW - 100)) $((FH - 20)) "$@"
}

drag_capture() {  # dir
    drag_until_notched "$1" $((FX + 40)) $((FY + 10)) $((FX + FW - 60)) $((FY + FH - 10))
}

saved_png() {  # dir
    wait_for 180 has_png "$1/out" || { echo "  no image was saved"; return 1; }
    sleep 1
    compgen -G "$1/out/tallyframe-*.png" | head -1
}

# The result page is up once the main window has its 660-DIP width again.
wait_result_page() {
    local k main
    for k in $(seq 1 100); do
        main=$(main_id)
        if [ -n "$main" ]; then geometry "$main"; [ "$W" -gt 640 ] && return 0; fi
        sleep 0.2
    done
    return 1
}

same_file() {  # a b what
    if cmp -s "$1" "$2"; then echo "  $3: $(stat -c %s "$1") bytes, equal to the saved PNG"; return 0; fi
    echo "  $3 differs from the saved PNG ($(stat -c %s "$1" 2>/dev/null || echo 0) vs $(stat -c %s "$2") bytes)"
    return 1
}

# The start both copy cases share: settings with copyAfterCapture=$2, the
# fixture, the program, Start, the drag, the saved PNG (its path left in the
# caller's $png) and the result page, which $3 says is "required" or "optional".
capture_to_result_page() {  # dir copyAfterCapture required|optional
    write_settings "$1/out" "$2"
    start_daily_fixture "$1" || return 1
    start_app || return 1
    focus_main || return 1
    xdotool key Return; sleep 1
    drag_capture "$1" || return 1
    png=$(saved_png "$1") || return 1
    wait_result_page && return 0
    if [ "$3" = optional ]; then echo "  (result page not seen)"; return 0; fi
    echo "  no result page"; return 1
}

# Pixels of the settings window in the notice colour (#B42318): the page draws
# nothing else in it.
notice_pixels() {  # screenshot window-id
    geometry "$2"
    convert "$1" -crop "${W}x${H}+${X}+${Y}" +repage -fuzz 12% -fill black +opaque '#B42318' -fill white \
        -opaque '#B42318' -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}

run_case() {
    local name="$1" dir="$work/$1"
    rm -rf "$dir"; mkdir -p "$dir/out"
    case "$name" in
        copyafter)
            # Something else on the clipboard first, so a stale image cannot pass.
            printf 'before the capture' | timeout 60 xclip -selection clipboard -i 2>/dev/null &
            local png; capture_to_result_page "$dir" 1 optional || return 1
            sleep 1
            echo "  targets: $(clipboard_targets | tr '\n' ' ')"
            clipboard_png "$dir/clipboard.png" || { echo "  no image/png on the clipboard"; return 1; }
            same_file "$dir/clipboard.png" "$png" "clipboard image/png"
            ;;
        copybutton)
            local png; capture_to_result_page "$dir" 0 required || return 1
            printf 'cleared' | timeout 60 xclip -selection clipboard -i 2>/dev/null &
            sleep 0.5
            if clipboard_targets | grep -q 'image/png'; then echo "  the clipboard still offers an image"; return 1; fi
            # Copy image: right of Open containing folder, the pair centred in the row
            # 326 DIPs below the page content's top (96 DPI here).
            geometry "$(main_id)"
            local left=$(( (W - 378) / 2 )) top=$(( (H - 410) / 2 + 326 ))
            xdotool mousemove $((X + left + 313)) $((Y + top + 18)) click 1
            sleep 0.7
            import -window root "$dir/copied.png" 2>/dev/null
            echo "  targets: $(clipboard_targets | tr '\n' ' ')"
            clipboard_png "$dir/clipboard.png" || { echo "  no image/png on the clipboard"; return 1; }
            same_file "$dir/clipboard.png" "$png" "clipboard image/png"
            ;;
        hotkey)
            write_settings "$dir/out" 0
            start_daily_fixture "$dir" || return 1
            start_app || return 1
            local fixture_window
            fixture_window=$(xdotool search --name '^Scroll fixture$' | head -1)
            xdotool windowfocus "$fixture_window" 2>/dev/null; sleep 0.5
            xdotool mousemove $((FX + 300)) $((FY + 300)); sleep 0.3
            xdotool key ctrl+shift+Print
            sleep 1
            drag_capture "$dir" || return 1
            local png; png=$(saved_png "$dir") || return 1
            sleep 1.5  # the fixture rewrites its truth a second after the page stopped
            "$compare_truth" --capture "$png" "$dir/truth.png" exact 0 0 $((FH - 20))
            ;;
        inuse)
            write_settings "$dir/out" 0
            start_daily_fixture "$dir" --hold-hotkey $CHORD_MODIFIERS $CHORD_KEY || return 1
            log_has "$dir/fixture.log" '^hotkey=registered' || { echo "  the fixture could not take the chord"; return 1; }
            start_app || return 1
            focus_main || return 1
            geometry "$(main_id)"
            xdotool mousemove $((X + W - 36)) $((Y + 32)) click 1  # the gear
            wait_for 10 bash -c "xdotool search --name '^Tallyframe - Settings\$' >/dev/null" || {
                echo "  settings window did not open"; return 1; }
            sleep 1
            import -window root "$dir/settings.png" 2>/dev/null
            local settings_window n
            settings_window=$(xdotool search --name '^Tallyframe - Settings$' | head -1)
            n=$(notice_pixels "$dir/settings.png" "$settings_window")
            echo "  notice pixels in the settings window: ${n:-none}"
            [ "${n:-0}" -gt 50 ] || { echo "  no in-use notice in the hotkey row"; return 1; }
            # The chord stays the other program's.
            xdotool key Escape; sleep 0.5
            xdotool windowfocus "$(xdotool search --name '^Scroll fixture$' | head -1)" 2>/dev/null; sleep 0.3
            xdotool key ctrl+shift+Print
            wait_for 5 log_has "$dir/fixture.log" '^hotkey=pressed' || { echo "  the chord did not reach the fixture"; return 1; }
            ;;
        *) echo "unknown case $name"; return 1 ;;
    esac
}

run_cases "${cases[@]}"
