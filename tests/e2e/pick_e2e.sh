#!/usr/bin/env bash
# Picking the capture area with one click under Wine + Xvfb: the pointer rests
# over a window, the overlay highlights that window's client area less its
# scroll bars, one click picks it and the capture that follows must be exact.
#
#   tests/e2e/pick_e2e.sh [case ...]   cases: fixture scrollbar notepad wordpad regedit
#                                      highlight96 highlight144 (default: all)
#   fixture      the scroll fixture, picked by a click; compared with its truth
#   scrollbar    the fixture with a real vertical scroll bar: the pick leaves it out
#   notepad      Wine's notepad, its edit control picked and captured; compared with
#                a second notepad tall enough to show the whole text at once
#   wordpad      the same with Wine's wordpad (a rich edit control), 3,500 rows of text;
#                every line begins "Line " and each notch scrolls whole lines, so
#                those columns look unmoved: they must still be kept as content
#   regedit      the same with the value list of Wine's regedit, 180 values under one key
#   highlight96, highlight144   the highlight over the fixture at that DPI (in
#                English, in Chinese): its border must frame the client area
#                exactly, over the page and over the bar; over the bare desktop
#                nothing is offered and a click starts nothing (screenshots kept)
# Environment as tests/e2e/capture_e2e.sh (TF_E2E_BUILD, TF_E2E_EXE, TF_E2E_WORK,
# TF_WINE_PREFIX, TF_COMPARE_TRUTH, TF_E2E_OWN_DISPLAY). Screenshots are always taken.
set -u
repo="$(cd "$(dirname "$0")/../.." && pwd)"
build="${TF_E2E_BUILD:-$repo/build/e2e-win}"
work="${TF_E2E_WORK:-$repo/build/e2e-pick}"
page="$repo/tests/data/corpus/debref-ch05/truth.png"
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(fixture scrollbar notepad wordpad regedit highlight96 highlight144)
export TF_E2E_SHOTS=1
# Tall enough for a window that shows the whole text of the wordpad case.
export TF_SCREEN="${TF_SCREEN:-1920x4000x24}"

label=pick-e2e
. "$repo/tests/e2e/gui_e2e_lib.sh"
e2e_prepare 1 1

# The border colour of the selection and of the highlight.
kBlue='#3566D6'

write_settings() {  # folder [language]
    write_settings_lines "captureFolder=$(tf_winpath "$1")" "language=${2:-en-US}" openAfterCapture=0 captureLoggingEnabled=0
}

# The box (x y w h) the highlight's blue border spans in a screenshot, or nothing.
blue_box() {  # png
    convert "$1" -fill black +opaque "$kBlue" -fill white -opaque "$kBlue" -format '%@' info: 2>/dev/null |
        sed -n 's/^\([1-9][0-9]*\)x\([1-9][0-9]*\)+\([0-9]*\)+\([0-9]*\)$/\3 \4 \1 \2/p'
}

# Rests the pointer over (x, y) after moving it about, as a person reaching for a window.
hover() {  # x y
    xdotool mousemove $(($1 + 40)) $(($2 + 30)); sleep 0.4
    xdotool mousemove "$1" "$2"; sleep 0.6
}

# The highlight while the pointer rests at (x, y) must frame the area
# (ax ay aw ah): the border is centred on its edges, `half` pixels outward.
check_highlight() {  # name x y ax ay aw ah half
    local name="$1" x="$2" y="$3" ax="$4" ay="$5" aw="$6" ah="$7" half="$8" try box=""
    local want="$((ax - half)) $((ay - half)) $((aw + 2 * half)) $((ah + 2 * half))"
    # The overlay may come up after the first moves of a freshly started Wine.
    for try in 1 2 3; do
        hover "$x" "$y"
        import -window root "$work/$name-highlight.png" 2>/dev/null
        box=$(blue_box "$work/$name-highlight.png")
        [ "$box" = "$want" ] && break
        echo "  hover $try: border box ${box:-none}"
    done
    echo "  highlight border box: ${box:-none} (area $ax $ay $aw $ah)"
    [ "$box" = "$want" ] || { echo "  the border should span $want"; return 1; }
}

# Clicks at (x, y) until the fixture hears a wheel notch (a capture began).
click_until_notched() {  # dir x y
    local try
    for try in 1 2 3; do
        hover "$2" "$3"
        xdotool mousedown 1; sleep 0.15
        xdotool mousemove $(($2 + 2)) $(($3 + 1)); sleep 0.1  # a hand that shakes a little
        xdotool mouseup 1
        wait_for 4 log_has "$1/fixture.log" '^wheel=' && return 0
        echo "  click $try did not start a capture"
        shot "$(basename "$1")-click-$try"
    done
    return 1
}

saved_png() { compgen -G "$1/tallyframe-*.png" | head -1; }

fixture_case() {  # name dir [fixture args...]
    local name="$1" dir="$2"; shift 2
    write_settings "$dir/out"
    start_fixture "$dir" $FX $FY $FW $FH "$@" || return 1
    start_app || return 1
    press_start
    check_highlight "$name" $((FX + FW / 2)) $((FY + FH / 2)) $FX $FY $FW $FH 1 || return 1
    click_until_notched "$dir" $((FX + FW / 2)) $((FY + FH / 2)) || return 1
    sleep 1.2
    shot "$name-capturing"
    wait_for 180 has_png "$dir/out" || { echo "  no image was saved"; shot "$name-timeout"; return 1; }
    sleep 1
    shot "$name-result"
    sleep 1.5  # the fixture rewrites its truth a second after the page stopped
    local png
    png=$(saved_png "$dir/out")
    echo "  PNG: $png ($(identify -format '%wx%h' "$png" 2>/dev/null)); fixture $(grep '^truth=' "$dir/fixture.log" | tail -1)"
    "$compare_truth" --capture "$png" "$dir/truth.png" exact
}

# The prompt's texts stay on the strip: 420 × 48 DIPs, centred at the top
# of the 1920-pixel screen, 24 DIPs down. Beside it, in its rows, the dimmed
# screen holds nothing as light as the texts.
prompt_inside_strip() {  # png dpi
    local w=$((420 * $2 / 96)) h=$((48 * $2 / 96)) top=$((24 * $2 / 96))
    local left=$(((1920 - w) / 2)) light
    light=$(convert "$1" \( -clone 0 -crop "${left}x$h+0+$top" +repage \) \
                \( -clone 0 -crop "$((1920 - left - w))x$h+$((left + w))+$top" +repage \) -delete 0 +append \
                -colorspace gray -threshold 70% -format '%[fx:round(mean*w*h)]' info: 2>/dev/null)
    echo "  light pixels beside the strip: ${light:-?}"
    [ "${light:-1}" = 0 ]
}

highlight_case() {  # name dir dpi language
    local name="$1" dir="$2" dpi="$3"
    tf_wine_set_dpi "$dpi"
    write_settings "$dir/out" "$4"
    start_fixture "$dir" $FX $FY $FW $FH --scrollbar || return 1
    start_app || return 1
    press_start
    # The border is max(2 DIPs, 2 px) wide and centred on the edges.
    local bw=$((dpi * 2 / 96)); [ $bw -lt 2 ] && bw=2
    local rc=0
    check_highlight "$name" $((FX + FW / 2)) $((FY + FH / 2)) $FX $FY $FW $FH $((bw / 2)) || rc=1
    # Over the scroll bar the same area is offered: the bar is the window's own.
    check_highlight "$name-over-bar" $((FX + FW + 5)) $((FY + FH / 2)) $FX $FY $FW $FH $((bw / 2)) || rc=1
    # The arrow keys choose the direction before the drag, and the prompt says which.
    xdotool key Right; sleep 0.6
    import -window root "$work/$name-sideways.png" 2>/dev/null
    xdotool key Down; sleep 0.6
    import -window root "$work/$name-down-again.png" 2>/dev/null
    local sideways again
    sideways=$(compare -metric AE "$work/$name-over-bar-highlight.png" "$work/$name-sideways.png" null: 2>&1)
    again=$(compare -metric AE "$work/$name-over-bar-highlight.png" "$work/$name-down-again.png" null: 2>&1)
    echo "  prompt pixels changed by Right: $sideways, left changed after Down: $again"
    [ "$sideways" != "0" ] || { echo "  Right did not change the prompt"; rc=1; }
    [ "$again" = "0" ] || { echo "  Down did not bring the prompt back"; rc=1; }
    prompt_inside_strip "$work/$name-sideways.png" "$dpi" || rc=1
    prompt_inside_strip "$work/$name-down-again.png" "$dpi" || rc=1
    # Over the bare desktop nothing is offered, and a click there picks nothing.
    hover 1600 1500
    import -window root "$work/$name-desktop.png" 2>/dev/null
    [ -z "$(blue_box "$work/$name-desktop.png")" ] || { echo "  something is highlighted over the desktop"; rc=1; }
    # A capture started there would end within seconds on the still desktop
    # and bring the main window back with its result.
    xdotool click 1; sleep 8
    if log_has "$dir/fixture.log" '^wheel=' || has_png "$dir/out" || main_visible; then
        echo "  a click on the desktop did not keep the selection up"; rc=1
    fi
    xdotool key Escape; sleep 1
    tf_wine_set_dpi 96
    return $rc
}

# Notepad's settings: where its window opens (Wine's notepad reads them at start).
notepad_place() {  # x y w h
    local reg="$WINEPREFIX/tf-notepad.reg"
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Notepad]\n"iWindowPosX"=dword:%08x\n"iWindowPosY"=dword:%08x\n"iWindowPosDX"=dword:%08x\n"iWindowPosDY"=dword:%08x\n"fWrap"=dword:00000000\n"fStatusBar"=dword:00000000\n' \
        "$1" "$2" "$3" "$4" > "$reg"
    "$TF_WINE" regedit "$reg" >/dev/null 2>&1
}

notepad_ids() { xdotool search --onlyvisible --name 'notepad-page.txt' 2>/dev/null; }
window_at() {  # id -> x y
    xdotool getwindowgeometry "$1" 2>/dev/null | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p'
}
windows_up() { [ "$($2 | wc -l)" -ge "$1" ]; }  # count list-command

# Starts a second window of a program and prints its id: the one the list
# command finds that is not `first`.
second_window() {  # list-command first -> id
    wait_for 30 windows_up 2 "$1" || return 1
    local id
    for id in $($1); do [ "$id" != "$2" ] && { echo "$id"; return 0; }; done
    return 1
}

# Two windows of one program show the same content, laid out alike: `small`
# is captured by hovering over (small + dx, small + dy) and one click, `tall`
# shows all of it at once. The saved image must be the tall one's same area,
# as high as the capture: every line once, nothing doubled or lost.
pick_and_compare() {  # name dir small tall dx dy what
    local name="$1" dir="$2" small="$3" tall="$4" dx="$5" dy="$6" what="$7" sx sy tx ty
    read -r sx sy <<<"$(window_at "$small")"
    read -r tx ty <<<"$(window_at "$tall")"
    echo "  $name windows at $sx,$sy (captured) and $tx,$ty (whole content)"
    # The caret blinks in the window with the keyboard: give it to the small
    # one, whose caret our own window takes away before the capture begins.
    xdotool windowfocus "$small" 2>/dev/null; sleep 0.8
    # The whole content as the screen shows it, before any window of ours is up.
    import -window root "$dir/screen-before.png" 2>/dev/null
    start_app || return 1
    press_start
    local px=$((sx + dx)) py=$((sy + dy)) box="" try bx=0 by=0 bw=0 bh=0
    # The first highlight of a fresh overlay can still frame the window that
    # was under the pointer before it moved: wait for one around the pointer.
    for try in 1 2 3; do
        hover $px $py
        import -window root "$work/$name-highlight.png" 2>/dev/null
        box=$(blue_box "$work/$name-highlight.png")
        [ -n "$box" ] && read -r bx by bw bh <<<"$box"
        [ $bx -le $px ] && [ $px -lt $((bx + bw)) ] && [ $by -le $py ] && [ $py -lt $((by + bh)) ] && break
        echo "  hover $try: border box ${box:-none}, not around the pointer at $px,$py"
        box=""
    done
    [ -n "$box" ] || { echo "  nothing highlighted around the pointer over $name"; return 1; }
    local ax=$((bx + 1)) ay=$((by + 1)) aw=$((bw - 2)) ah=$((bh - 2))
    echo "  highlighted $what area: $ax,$ay ${aw}x$ah"
    xdotool mousedown 1; sleep 0.15; xdotool mouseup 1
    local clicked
    clicked=$(date +%s.%N)
    wait_for 180 has_png "$dir/out" || { echo "  no image was saved"; shot "$name-timeout"; return 1; }
    sleep 1
    shot "$name-result"
    local png height
    png=$(saved_png "$dir/out")
    # What bench/capture_pace.sh reads: the area picked to the file written.
    echo "  pace: $(printf '%.2f' "$(echo "$(date -r "$png" +%s.%N) - $clicked" | bc)") s from the click to the file"
    height=$(identify -format '%h' "$png")
    echo "  PNG: $png ($(identify -format '%wx%h' "$png"))"
    [ "$(identify -format '%w' "$png")" = "$aw" ] || { echo "  the image is not as wide as the picked area"; return 1; }
    convert "$dir/screen-before.png" -crop "${aw}x${height}+$((tx + ax - sx))+$((ty + ay - sy))" +repage "$dir/truth.png"
    [ "$(identify -format '%h' "$dir/truth.png")" = "$height" ] ||
        { echo "  the capture is taller than the whole $what shown on the screen"; return 1; }
    # The rule below forgives a few pixels; how many differ at all is worth knowing.
    echo "  pixels that differ from the truth: $(command compare -metric AE "$png" "$dir/truth.png" null: 2>&1)"
    "$compare_truth" "$png" "$dir/truth.png"
}

notepad_case() {  # dir
    local dir="$1"
    write_settings "$dir/out"
    local text="$dir/notepad-page.txt" i
    for i in $(seq 1 110); do
        printf 'Line %03d  %s\r\n' "$i" "$(printf 'word%.0s ' $(seq 1 $((i % 9 + 1))))$((i * 7919 % 1000))"
    done > "$text"
    # The one to capture, small, and a tall one beside it that shows every line.
    notepad_place 120 120 640 420
    "$TF_WINE" notepad "$(tf_winpath "$text")" >/dev/null 2>&1 &
    app_pids+=($!)
    wait_for 20 windows_up 1 notepad_ids || { echo "  notepad did not start"; return 1; }
    sleep 1
    local small tall
    small=$(notepad_ids | head -1)
    notepad_place 900 60 640 2500
    "$TF_WINE" notepad "$(tf_winpath "$text")" >/dev/null 2>&1 &
    app_pids+=($!)
    tall=$(second_window notepad_ids "$small") || { echo "  second notepad did not start"; return 1; }
    sleep 1
    # Over the text, away from the scroll bars: the edit control is offered.
    pick_and_compare notepad "$dir" "$small" "$tall" 250 200 edit
}

# Wordpad and regedit keep no window place we can set beforehand: each is
# started twice, and its windows are moved and sized once they are up (there is
# no window manager to object): the small one to pick and a tall one that shows
# everything. Sets the caller's `small` and `tall` to their ids.
start_two_windows() {  # what ids-function "x y w h" "x y w h" command...
    local what="$1" ids="$2" small_at="$3" tall_at="$4" x y w h
    shift 4
    "$@" >/dev/null 2>&1 &
    app_pids+=($!)
    wait_for 30 windows_up 1 "$ids" || { echo "  $what did not start"; return 1; }
    small=$("$ids" | head -1)
    read -r x y w h <<<"$small_at"
    xdotool windowmove "$small" "$x" "$y" windowsize "$small" "$w" "$h"
    "$@" >/dev/null 2>&1 &
    app_pids+=($!)
    tall=$(second_window "$ids" "$small") || { echo "  second $what did not start"; return 1; }
    read -r x y w h <<<"$tall_at"
    xdotool windowmove "$tall" "$x" "$y" windowsize "$tall" "$w" "$h"
    sleep 1.5
}

wordpad_ids() { xdotool search --onlyvisible --name 'wordpad-page.txt' 2>/dev/null; }
wordpad_exe() { printf '%s' "$WINEPREFIX/drive_c/Program Files/Windows NT/Accessories/wordpad.exe"; }

wordpad_case() {  # dir
    local dir="$1"
    write_settings "$dir/out"
    # 250 lines of 14 rows: some 3,200 rows to scroll in the small window.
    local text="$dir/wordpad-page.txt" i
    for i in $(seq 1 250); do
        printf 'Line %03d  %s\r\n' "$i" "$(printf 'text%.0s ' $(seq 1 $((i * 5 % 11 + 1))))$((i * 6101 % 10000))"
    done > "$text"
    local small tall
    start_two_windows wordpad wordpad_ids "120 120 640 420" "900 60 640 3800" \
        "$TF_WINE" "$(wordpad_exe)" "$(tf_winpath "$text")" || return 1
    pick_and_compare wordpad "$dir" "$small" "$tall" 250 250 edit
}

regedit_ids() { xdotool search --onlyvisible --name '^Registry Editor$' 2>/dev/null; }

regedit_case() {  # dir
    local dir="$1" reg="$WINEPREFIX/tf-regedit-values.reg" i
    write_settings "$dir/out"
    # 180 values under one key, and that key as the one regedit opens on.
    {
        printf 'REGEDIT4\n\n[-HKEY_CURRENT_USER\\Software\\Tallyframe E2E]\n\n'
        printf '[HKEY_CURRENT_USER\\Software\\Tallyframe E2E\\Values]\n'
        for i in $(seq 1 180); do
            printf '"Value %03d"="%s"\n' "$i" "$(printf 'data%.0s ' $(seq 1 $((i % 6 + 1))))$((i * 7919 % 1000))"
        done
        printf '\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit]\n'
        printf '"LastKey"="HKEY_CURRENT_USER\\\\Software\\\\Tallyframe E2E\\\\Values"\n'
    } > "$reg"
    "$TF_WINE" regedit "$reg" >/dev/null 2>&1
    local small tall
    # 181 rows of 17 and the header: the list needs some 3,100 rows.
    start_two_windows regedit regedit_ids "60 120 900 500" "980 60 900 3400" "$TF_WINE" regedit || return 1
    # Over the rows of the value list, right of the key tree.
    pick_and_compare regedit "$dir" "$small" "$tall" 550 250 list
}

run_case() {
    local name="$1"
    local dir="$work/$name"
    rm -rf "$dir"; mkdir -p "$dir/out"
    app_pids=()
    local rc
    case "$name" in
        fixture) fixture_case "$name" "$dir"; rc=$? ;;
        scrollbar) fixture_case "$name" "$dir" --scrollbar; rc=$? ;;
        notepad) notepad_case "$dir"; rc=$? ;;
        wordpad) wordpad_case "$dir"; rc=$? ;;
        regedit) regedit_case "$dir"; rc=$? ;;
        highlight96) highlight_case "$name" "$dir" 96 en-US; rc=$? ;;
        highlight144) highlight_case "$name" "$dir" 144 zh-CN; rc=$? ;;
        *) echo "unknown case $name"; return 1 ;;
    esac
    [ ${#app_pids[@]} -gt 0 ] && kill "${app_pids[@]}" 2>/dev/null
    return $rc
}

run_cases "${cases[@]}"
