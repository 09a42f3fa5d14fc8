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

"$repo/scripts/bootstrap.sh" >/dev/null || exit 1
if [ ! -f "$build/build.ninja" ]; then
    cmake --preset windows -B "$build" -DTALLYFRAME_TESTS=ON >/dev/null || exit 1
fi
cmake --build "$build" -j2 --target tallyframe tallyframe_fixture >/dev/null || {
    echo "daily-use-e2e: build failed"; exit 1; }
exe="$build/tallyframe.exe"
fixture="$build/tests/fixture/tallyframe_fixture.exe"
compare_truth="${TF_COMPARE_TRUTH:-$repo/build/native/tests/compare_truth}"
[ -x "$compare_truth" ] || { echo "daily-use-e2e: no $compare_truth (build the native preset)"; exit 1; }

. "$repo/scripts/wine-env.sh"
tf_wine_prefix
tf_xvfb || exit 1
cleanup() {
    /usr/lib/wine/wineserver -k >/dev/null 2>&1
    tf_xvfb_stop
}
trap cleanup EXIT
mkdir -p "$work"

FX=200 FY=200 FW=1000 FH=620
# Ctrl+Shift (MOD_CONTROL | MOD_SHIFT) and VK_SNAPSHOT, for the fixture's --hold-hotkey.
CHORD_MODIFIERS=6 CHORD_KEY=44
settings_dir="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Quorvelle/Tallyframe"

write_settings() {  # folder copyAfterCapture
    mkdir -p "$settings_dir"
    printf '[general]\r\ncaptureFolder=%s\r\nlanguage=en-US\r\nopenAfterCapture=0\r\ncaptureLoggingEnabled=0\r\ncopyAfterCapture=%s\r\ncaptureHotkey=Ctrl+Shift+PrintScreen\r\n' \
        "$(tf_winpath "$1")" "$2" > "$settings_dir/settings.ini"
}
wait_for() {  # seconds command...
    local limit=$(( $1 * 10 )) i=0; shift
    while ! "$@"; do i=$((i + 1)); [ $i -ge $limit ] && return 1; sleep 0.1; done
}
has_png() { compgen -G "$1/tallyframe-*.png" >/dev/null; }
log_has() { grep -q "$2" "$1" 2>/dev/null; }
main_id() { xdotool search --onlyvisible --name '^(Tallyframe|塔利帧)$' 2>/dev/null | head -1; }
geometry() { eval "$(xdotool getwindowgeometry --shell "$1")"; X=$X; Y=$Y; W=$WIDTH; H=$HEIGHT; }
clipboard_targets() { timeout 10 xclip -selection clipboard -t TARGETS -o 2>/dev/null; }
clipboard_png() { timeout 30 xclip -selection clipboard -t image/png -o > "$1" 2>/dev/null; }

pass=0 fail=0
result() { if [ "$1" = 0 ]; then pass=$((pass + 1)); echo "PASS $2"; else fail=$((fail + 1)); echo "FAIL $2"; fi; }

start_fixture() {  # dir [fixture args...]
    local dir="$1"; shift
    "$TF_WINE" "$fixture" --page "$(tf_winpath "$page")" --log "$(tf_winpath "$dir/fixture.log")" \
        --x $FX --y $FY --width $FW --height $FH --truth "$(tf_winpath "$dir/truth.png")" \
        --rect $((FX + 40)) $((FY + 10)) $((FW - 100)) $((FH - 20)) "$@" >/dev/null 2>&1 &
    fixture_pid=$!
    wait_for 30 log_has "$dir/fixture.log" '^truth=\|^pos=' || { echo "  fixture did not start"; return 1; }
}

start_app() {
    (cd "$build" && "$TF_WINE" "$exe" >/dev/null 2>&1) &
    app=$!
    wait_for 30 bash -c "xdotool search --onlyvisible --name '^(Tallyframe|塔利帧)\$' >/dev/null" || {
        echo "  main window did not appear"; return 1; }
    sleep 1
}

focus_main() {
    local k main
    for k in 1 2 3 4 5; do
        main=$(main_id)
        if [ -n "$main" ] && xdotool windowfocus "$main" 2>/dev/null; then return 0; fi
        sleep 0.5
    done
    echo "  could not focus the main window"; return 1
}

# Drags the capture rectangle over the fixture once the overlay is up; tries
# again when no wheel notch reached the fixture.
drag_capture() {  # dir
    local x1=$((FX + 40)) y1=$((FY + 10)) x2=$((FX + FW - 60)) y2=$((FY + FH - 10)) try
    for try in 1 2 3; do
        xdotool mousemove $((x1 + 200)) $((y1 + 100)); sleep 0.4
        xdotool mousemove $x1 $y1; sleep 0.3
        xdotool mousedown 1; sleep 0.3
        xdotool mousemove $(((x1 + x2) / 2)) $(((y1 + y2) / 2)); sleep 0.3
        xdotool mousemove $x2 $y2; sleep 0.3
        xdotool mouseup 1
        wait_for 4 log_has "$1/fixture.log" '^wheel=' && return 0
        echo "  drag $try did not start a capture"
    done
    return 1
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
            write_settings "$dir/out" 1
            # Something else on the clipboard first, so a stale image cannot pass.
            printf 'before the capture' | timeout 60 xclip -selection clipboard -i 2>/dev/null &
            start_fixture "$dir" || return 1
            start_app || return 1
            focus_main || return 1
            xdotool key Return; sleep 1
            drag_capture "$dir" || return 1
            local png; png=$(saved_png "$dir") || return 1
            wait_result_page || echo "  (result page not seen)"
            sleep 1
            echo "  targets: $(clipboard_targets | tr '\n' ' ')"
            clipboard_png "$dir/clipboard.png" || { echo "  no image/png on the clipboard"; return 1; }
            same_file "$dir/clipboard.png" "$png" "clipboard image/png"
            ;;
        copybutton)
            write_settings "$dir/out" 0
            start_fixture "$dir" || return 1
            start_app || return 1
            focus_main || return 1
            xdotool key Return; sleep 1
            drag_capture "$dir" || return 1
            local png; png=$(saved_png "$dir") || return 1
            wait_result_page || { echo "  no result page"; return 1; }
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
            start_fixture "$dir" || return 1
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
            start_fixture "$dir" --hold-hotkey $CHORD_MODIFIERS $CHORD_KEY || return 1
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

stop_case() {
    kill "$app" "$fixture_pid" 2>/dev/null
    /usr/lib/wine/wineserver -k >/dev/null 2>&1
    wait "$app" "$fixture_pid" 2>/dev/null
}

for c in "${cases[@]}"; do
    echo "case $c"
    app="" fixture_pid=""
    run_case "$c"; rc=$?
    stop_case
    result $rc "$c"
done
echo "daily-use-e2e: $pass passed, $fail failed (results in $work)"
[ "$fail" = 0 ]
