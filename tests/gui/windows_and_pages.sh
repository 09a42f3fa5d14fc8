#!/usr/bin/env bash
# The interactive program under Wine + Xvfb, driven with xdotool, at 96 and
# 144 DPI: placement and size of the main window, the settings window and its
# switches (settings.ini must change at once), the language menu both ways,
# Esc closing the settings window and the main window taking clicks again, and
# screenshots of the home page and of the settings window's General, Help and
# About pages in Chinese and English for review.
#
#   tests/gui/windows_and_pages.sh [tallyframe.exe] [screenshot folder] [ui_tests.exe]
#
# Exit code 0 when every check passed. Every wait is bounded.
set -u
REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
EXE="$(realpath -m "${1:-$REPO/build/windows/tallyframe.exe}")"
OUT="${2:-$REPO/build/gui-shots}"
UI_TESTS="$(realpath -m "${3:-$REPO/build/windows-tests/tests/ui_tests.exe}")"
mkdir -p "$OUT"
# Wine takes only an absolute prefix path, and the prefixes live under $OUT.
OUT="$(cd "$OUT" && pwd)"
"$REPO/scripts/bootstrap.sh" >/dev/null || { echo "bootstrap failed"; exit 1; }
[ -f "$EXE" ] || { echo "no executable at $EXE"; exit 1; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# Waits up to $2 tenths of a second for a window whose whole name is $1.
wait_window() {
    local name="$1" tries="${2:-100}" id
    for _ in $(seq 1 "$tries"); do
        id=$(xdotool search --name "^${name}\$" 2>/dev/null | head -1)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.1
    done
    return 1
}
wait_gone() {
    local name="$1"
    for _ in $(seq 1 50); do
        xdotool search --name "^${name}\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}
# Sets X Y W H (the client area on screen) for a window id.
geometry() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    X=$X; Y=$Y; W=$WIDTH; H=$HEIGHT
}
# Clicks at DIP coordinates of a client area (X, Y, scale S in percent).
click_dips() {
    local x y
    x=$(awk -v b="$X" -v v="$1" -v s="$S" 'BEGIN { printf "%d", b + v * s / 100 }')
    y=$(awk -v b="$Y" -v v="$2" -v s="$S" 'BEGIN { printf "%d", b + v * s / 100 }')
    xdotool mousemove "$x" "$y" click 1
    sleep 0.6
}
shot() { sleep 0.5; import -window root "$OUT/$1.png"; }
ini_sum() { md5sum "$INI" 2>/dev/null | cut -d' ' -f1; }
# settings.ini as UTF-8 text (the store keeps it in UTF-16 when it made it so).
ini_text() {
    if [ "$(head -c2 "$INI" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = "fffe" ]; then iconv -f UTF-16 -t UTF-8 "$INI"; else cat "$INI" 2>/dev/null; fi | tr -d '\r'
}
ini_has() { ini_text | grep -qx "$1"; }

run_at_dpi() {
    local dpi="$1"
    S=$((dpi * 100 / 96))
    export TF_WINE_PREFIX="$OUT/prefix-$dpi" TF_DPI="$dpi"
    unset DISPLAY
    # shellcheck source=/dev/null
    . "$REPO/scripts/wine-env.sh"
    tf_wine_prefix
    tf_wine_set_dpi "$dpi"
    tf_xvfb || { fail "no X display"; return; }
    INI="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/Quorvelle/Tallyframe/settings.ini"
    rm -f "$INI"
    "$TF_WINE" "$EXE" >"$OUT/run-$dpi.log" 2>&1 &
    local app=$!

    local main
    if ! main=$(wait_window "塔利帧" 300); then
        fail "$dpi dpi: main window did not appear"
        kill "$app" 2>/dev/null; tf_xvfb_stop; return
    fi
    sleep 1
    geometry "$main"
    # Outer size 620 x 380 DIPs, centred, its top 24 DIPs below the work area's
    # top; the client area is the outer size less Wine's frame and caption.
    local centre=$((X + W / 2)) want_w=$((620 * S / 100)) want_h=$((380 * S / 100)) top=$((24 * S / 100))
    if [ $((centre - 960)) -ge -2 ] && [ $((centre - 960)) -le 2 ]; then pass "$dpi dpi: centred (client centre $centre)"; else fail "$dpi dpi: client centre x $centre, want 960"; fi
    if [ "$W" -le "$want_w" ] && [ "$W" -ge $((want_w - 20)) ]; then pass "$dpi dpi: width $W for outer $want_w"; else fail "$dpi dpi: client width $W, outer should be $want_w"; fi
    if [ "$H" -le "$want_h" ] && [ "$H" -ge $((want_h - 60)) ]; then pass "$dpi dpi: height $H for outer $want_h"; else fail "$dpi dpi: client height $H, outer should be $want_h"; fi
    if [ "$Y" -ge "$top" ] && [ "$Y" -le $((top + 60)) ]; then pass "$dpi dpi: top $Y below $top"; else fail "$dpi dpi: client top $Y, outer top should be $top"; fi
    shot "home-zh-$dpi"

    # The gear: 32 x 32 DIPs at (W - 52, 16).
    local wd=$((W * 100 / S)) hd
    click_dips $((wd - 36)) 32
    local settingsWin
    if ! settingsWin=$(wait_window "塔利帧 - 设置" 50); then
        fail "$dpi dpi: settings window did not open"
        kill "$app" 2>/dev/null; tf_xvfb_stop; return
    fi
    pass "$dpi dpi: settings window opened"
    sleep 0.5
    geometry "$settingsWin"
    wd=$(awk -v w="$W" -v s="$S" 'BEGIN { printf "%d", w * 100 / s + 0.5 }')
    hd=$(awk -v h="$H" -v s="$S" 'BEGIN { printf "%d", h * 100 / s + 0.5 }')
    # Row tops of the settings layout (see settings_layout.h): the classic rows
    # over the height left after the added rows (the rows of kSettingsRows after kClassicSettingsRowCount, 60 DIPs
    # each), which follow the logging row at its spacing (c: copy after
    # capture, k: hotkey, sm: scroll mode, st: start from the top, sw: sideways).
    local added_rows=7
    local m R oy t a g l c k sm st sw
    read -r m R oy t a g l c k sm st sw < <(awk -v W="$wd" -v H="$((hd - 60 * added_rows))" 'function clamp(v, lo, hi) { return v < lo ? lo : (v > hi ? hi : v) }
        BEGIN { m = clamp((W - 520) / 2, 20, 50); R = W - m; oy = (H - 420) / 2; if (oy < 0) oy = 0;
                t = clamp((H - 360) / 60, 0, 1); g = 52 * t + 272 + oy;
                printf "%d %d %d %f %d %d %d %d %d %d %d %d\n", m, R, oy, t, 44 * t + 220 + oy, g, 36 * t + 168 + oy,
                       g + 52 + 8 * t, g + 2 * (52 + 8 * t), g + 3 * (52 + 8 * t), g + 4 * (52 + 8 * t), g + 5 * (52 + 8 * t) }')
    # The window is taller than the classic 460 DIPs by the added rows.
    if [ "$hd" -ge 520 ]; then pass "$dpi dpi: settings window $hd DIPs tall for the added rows"; else fail "$dpi dpi: settings window only $hd DIPs tall"; fi
    shot "settings-general-zh-$dpi"

    local before after
    before=$(ini_sum)
    click_dips $((R - 24)) $((a + 20))
    after=$(ini_sum)
    if [ -n "$after" ] && [ "$after" != "$before" ]; then pass "$dpi dpi: open-after switch saved"; else fail "$dpi dpi: settings.ini unchanged after the open-after switch"; fi
    ini_has "openAfterCapture=0" && pass "$dpi dpi: openAfterCapture off" || fail "$dpi dpi: openAfterCapture not 0 in settings.ini"
    before=$after
    click_dips $((R - 24)) $((g + 20))
    after=$(ini_sum)
    if [ "$after" != "$before" ]; then pass "$dpi dpi: logging switch saved"; else fail "$dpi dpi: settings.ini unchanged after the logging switch"; fi
    ini_has "captureLoggingEnabled=1" && pass "$dpi dpi: logging on" || fail "$dpi dpi: captureLoggingEnabled not 1 in settings.ini"
    before=$(ini_sum)
    click_dips $((R - 24)) $((c + 20))
    ini_has "copyAfterCapture=0" && pass "$dpi dpi: copy-after switch off" || fail "$dpi dpi: copyAfterCapture not 0 after its switch"
    click_dips $((R - 24)) $((c + 20))
    ini_has "copyAfterCapture=1" && pass "$dpi dpi: copy-after switch on again" || fail "$dpi dpi: copyAfterCapture not 1 again"
    # The chord control records the next chord; Esc cancels and keeps the old one.
    click_dips $((R - 100)) $((k + 21))
    shot "settings-hotkey-recording-zh-$dpi"
    xdotool key Escape
    sleep 0.3
    if xdotool search --name "^塔利帧 - 设置\$" >/dev/null 2>&1; then pass "$dpi dpi: Esc while recording kept the settings window"; else fail "$dpi dpi: Esc while recording closed the settings window"; fi
    click_dips $((R - 100)) $((k + 21))
    xdotool key ctrl+alt+k
    sleep 0.5
    ini_has "captureHotkey=Ctrl+Alt+K" && pass "$dpi dpi: recorded Ctrl+Alt+K" || fail "$dpi dpi: captureHotkey not Ctrl+Alt+K"
    click_dips $((R - 100)) $((k + 21))
    xdotool key BackSpace
    sleep 0.5
    ini_has "captureHotkey=" && pass "$dpi dpi: Backspace cleared the chord" || fail "$dpi dpi: captureHotkey not cleared"
    shot "settings-hotkey-none-zh-$dpi"
    click_dips $((R - 100)) $((k + 21))
    xdotool key ctrl+shift+Print
    sleep 0.5
    ini_has "captureHotkey=Ctrl+Shift+PrintScreen" && pass "$dpi dpi: default chord recorded again" || fail "$dpi dpi: captureHotkey not back to Ctrl+Shift+PrintScreen"
    # The sideways row, the last added one, inside the window as it opens.
    if [ $((sw + 46)) -le "$hd" ]; then pass "$dpi dpi: sideways row inside the window"; else fail "$dpi dpi: sideways row at $sw below the client height $hd"; fi
    click_dips $((R - 24)) $((sw + 20))
    ini_has "captureDirection=right" && pass "$dpi dpi: sideways switch on" || fail "$dpi dpi: captureDirection not right after its switch"
    shot "settings-sideways-zh-$dpi"
    click_dips $((R - 24)) $((sw + 20))
    ini_has "captureDirection=down" && pass "$dpi dpi: sideways switch off again" || fail "$dpi dpi: captureDirection not down after the second press"
    click_dips $((R - 24)) $((st + 20))
    ini_has "startFromTop=1" && pass "$dpi dpi: start-from-top switch on" || fail "$dpi dpi: startFromTop not 1 after its switch"
    click_dips $((R - 24)) $((st + 20))
    ini_has "startFromTop=0" && pass "$dpi dpi: start-from-top switch off again" || fail "$dpi dpi: startFromTop not 0 after the second press"
    before=$(ini_sum)
    click_dips $((R - 24)) $((sm + 20))
    after=$(ini_sum)
    if [ "$after" != "$before" ]; then pass "$dpi dpi: scroll-mode switch saved"; else fail "$dpi dpi: settings.ini unchanged after the scroll-mode switch"; fi
    ini_has "scrollMode=manual" && pass "$dpi dpi: scrollMode manual" || fail "$dpi dpi: scrollMode not manual in settings.ini"
    click_dips $((R - 24)) $((sm + 20))
    ini_has "scrollMode=auto" && pass "$dpi dpi: scrollMode auto again" || fail "$dpi dpi: scrollMode not auto after the second press"
    shot "settings-switched-zh-$dpi"

    # Navigation icons at the top right: General, Help, About.
    click_dips $((wd - 68)) 28
    shot "settings-help-zh-$dpi"
    click_dips $((wd - 32)) 28
    shot "settings-about-zh-$dpi"
    click_dips $((wd - 104)) 28

    # Language drop-down: the menu opens below it; the second item is English.
    click_dips $((R - 80)) $((l + 21))
    sleep 0.5
    xdotool key Down Down Return
    if wait_window "Tallyframe - Settings" 30 >/dev/null && wait_window "Tallyframe" 30 >/dev/null; then
        pass "$dpi dpi: both windows re-titled in English"
    else
        fail "$dpi dpi: windows not re-titled in English"
    fi
    ini_has "language=en-US" && pass "$dpi dpi: language saved" || fail "$dpi dpi: language not saved as English"
    shot "settings-general-en-$dpi"
    click_dips $((wd - 68)) 28
    shot "settings-help-en-$dpi"
    click_dips $((wd - 32)) 28
    shot "settings-about-en-$dpi"
    click_dips $((wd - 104)) 28

    # And back to Chinese: the first item.
    click_dips $((R - 80)) $((l + 21))
    sleep 0.5
    xdotool key Down Return
    if wait_window "塔利帧 - 设置" 30 >/dev/null && ini_has "language=zh-CN"; then pass "$dpi dpi: back to Chinese"; else fail "$dpi dpi: not back in Chinese"; fi

    # Esc closes the settings window; the main window takes clicks again.
    xdotool key Escape
    if wait_gone "塔利帧 - 设置"; then pass "$dpi dpi: Esc closed the settings window"; else fail "$dpi dpi: Esc did not close the settings window"; fi
    sleep 0.5
    geometry "$main"
    shot "home-after-settings-zh-$dpi"
    wd=$((W * 100 / S))
    click_dips $((wd - 36)) 32
    if wait_window "塔利帧 - 设置" 50 >/dev/null; then pass "$dpi dpi: main window enabled again"; else fail "$dpi dpi: main window did not react after the settings window closed"; fi
    xdotool key Escape
    wait_gone "塔利帧 - 设置" || true

    # A real capture from the home page: Enter, drag a rectangle, and the
    # capture ends by itself on the still screen; the result page follows.
    geometry "$main"
    xdotool mousemove $((X + W / 2)) $((Y + H - 20)) click 1
    sleep 0.3
    xdotool key Return
    sleep 3
    xdotool mousemove 400 400; sleep 0.3
    xdotool mousedown 1; sleep 0.3
    xdotool mousemove 600 600; sleep 0.3
    xdotool mousemove 900 800; sleep 0.3
    xdotool mouseup 1
    local shown=0
    for _ in $(seq 1 300); do
        sleep 0.2
        geometry "$main" 2>/dev/null || continue
        # The result page is 660 x 450 DIPs against the home page's 620 x 380.
        if [ "$W" -gt $((640 * S / 100)) ]; then shown=1; break; fi
    done
    if [ "$shown" = 1 ]; then
        pass "$dpi dpi: result page after a capture"
        sleep 2.5  # past the "Copied" of the copy after capture
        shot "result-zh-$dpi"
    else
        fail "$dpi dpi: no result page within 60 s of the capture"
        shot "result-missing-$dpi"
    fi

    kill "$app" 2>/dev/null
    wait "$app" 2>/dev/null
    "$TF_WINESERVER" -k >/dev/null 2>&1

    # The in-process window tests leave the result page and the settings
    # pages in English and Chinese as PNG files at this DPI.
    if [ -f "$UI_TESTS" ]; then
        mkdir -p "$OUT/inproc-$dpi"
        if TF_GUI_SHOTS="$(tf_winpath "$OUT/inproc-$dpi")" timeout 300 "$TF_WINE" "$UI_TESTS" --gtest_filter='MainWindow.*' \
            >"$OUT/ui-tests-$dpi.log" 2>&1; then
            pass "$dpi dpi: in-process window tests"
        else
            fail "$dpi dpi: in-process window tests (see $OUT/ui-tests-$dpi.log)"
        fi
        "$TF_WINESERVER" -k >/dev/null 2>&1
    fi
    tf_xvfb_stop
}

for dpi in 96 144; do run_at_dpi "$dpi"; done
echo "screenshots in $OUT"
if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "all GUI checks passed"
