#!/usr/bin/env bash
# The review window under Wine + Xvfb. One capture of the fixture, then on
# its result page: R, T, Shift+Down three times, B, Shift+Up twice, Enter
# must write <name>-trimmed.png equal to the saved image less 300 rows at the
# top and 200 at the bottom, the saved image unchanged; the top handle
# dragged with the pointer writes -trimmed-2.png, an exact crop from a row
# below the top; N, C and "Drop everything after it" write -trimmed-3.png, an
# exact crop from the top; Esc writes nothing. Then the window alone
# (--review) on offline stitches whose logs hold several seam kinds, at 96
# and 144 DPI in English and Chinese, shot for review; a cut there keeps
# exactly the rows above one of the log's seams; and a sideways stitch
# trimmed at its left and right edges is the exact crop of its columns.
#
#   tests/e2e/review_e2e.sh
# Environment as tests/e2e/capture_e2e.sh (TF_E2E_BUILD, TF_E2E_EXE,
# TF_E2E_WORK, TF_WINE_PREFIX, TF_COMPARE_TRUTH, TF_E2E_OWN_DISPLAY).
set -u
repo="$(cd "$(dirname "$0")/../.." && pwd)"
build="${TF_E2E_BUILD:-$repo/build/e2e-win}"
work="${TF_E2E_WORK:-$repo/build/e2e-review}"
page="$repo/tests/data/corpus/debref-ch05/truth.png"
label=review-e2e
. "$repo/tests/e2e/gui_e2e_lib.sh"
e2e_prepare 1 0
TF_E2E_SHOTS=1  # the shots are part of what this script is for

review_id() { xdotool search --onlyvisible --name '^(Tallyframe - Review|塔利帧 - 查看)$' 2>/dev/null | head -1; }
review_open() { [ -n "$(review_id)" ]; }
review_closed() { [ -z "$(review_id)" ]; }
trimmed() { echo "$out/${stem}-trimmed$1.png"; }

# R on the result page, and the window ready for keys.
open_review() {
    # Under Wine a closed window stays on screen for a moment: never take it for the new one.
    wait_for 10 review_closed || { echo "  the last review window is still open"; return 1; }
    focus_main || return 1
    sleep 0.3
    xdotool key r
    wait_for 10 review_open || { echo "  R opened no review window"; return 1; }
    sleep 1.5
    xdotool windowfocus "$(review_id)" 2>/dev/null
    sleep 0.3
}

# The file is `png` cropped to rows [top, top + rows), whole width, pixel for pixel.
# The file equals the capture's part WxH+X+Y, every pixel.
crop_equals() {  # file geometry
    local ae
    convert "$png" -crop "$2" +repage "$work/crop.png" || return 1
    ae=$(command compare -metric AE "$1" "$work/crop.png" null: 2>&1)
    [ "$ae" = 0 ] || { echo "  $(basename "$1") differs from $2 by $ae pixels"; return 1; }
}
rows_equal() {  # file top rows
    crop_equals "$1" "${width}x$3+0+$2"
}
size_of() { identify -format '%w %h' "$1" 2>/dev/null; }

run_capture_case() {
    out="$work/capture/out"
    rm -rf "$work/capture"; mkdir -p "$out"
    write_settings_lines "captureFolder=$(tf_winpath "$out")" language=en-US openAfterCapture=0 captureLoggingEnabled=0 \
        copyAfterCapture=0
    local x1=$((FX + 40)) y1=$((FY + 10)) x2=$((FX + FW - 60)) y2=$((FY + FH - 10))
    start_fixture "$work/capture" $x1 $y1 $((x2 - x1)) $((y2 - y1)) || return 1
    start_app || return 1
    press_start
    drag_until_notched "$work/capture" $x1 $y1 $x2 $y2 || return 1
    wait_for 180 has_png "$out" || { echo "  no image was saved"; return 1; }
    png=$(compgen -G "$out/tallyframe-*.png" | head -1)
    stem=$(basename "$png" .png)
    wait_for 20 main_visible || { echo "  no result page"; return 1; }
    sleep 1.5
    read -r width height < <(size_of "$png")
    local before
    before=$(md5sum "$png" | cut -d' ' -f1)
    echo "  saved $png (${width}x$height)"

    # The keys: 300 rows off the top, 200 off the bottom.
    open_review || return 1
    shot review-en-96
    xdotool key t; for _ in 1 2 3; do xdotool key shift+Down; done
    xdotool key b; for _ in 1 2; do xdotool key shift+Up; done
    shot review-trimmed-en-96
    xdotool key Return
    check wait_for 30 test -f "$(trimmed "")"
    check wait_for 10 review_closed
    check rows_equal "$(trimmed "")" 300 $((height - 500))

    # The top handle dragged down by 120 pixels: the crop starts below the top.
    open_review || return 1
    eval "$(xdotool getwindowgeometry --shell "$(review_id)")"
    local toolbar=84 gutter=26 sx
    sx=$((X + (gutter + (WIDTH - gutter) / 2)))
    local sy=$((Y + toolbar + 1))
    xdotool mousemove $sx $sy; sleep 0.3; xdotool mousedown 1; sleep 0.2
    for k in 1 2 3 4 5 6; do xdotool mousemove $sx $((sy + 20 * k)); sleep 0.1; done
    xdotool mouseup 1; sleep 0.3
    shot review-dragged-en-96
    xdotool key Return
    check wait_for 30 test -f "$(trimmed -2)"
    local w2 h2
    read -r w2 h2 < <(size_of "$(trimmed -2)")
    echo "  dragged: ${w2}x$h2"
    check test "$w2" = "$width"
    check test "$h2" -lt "$height"
    check test "$h2" -gt $((height - 400))
    check rows_equal "$(trimmed -2)" $((height - h2)) "$h2"

    # N finds a seam, C offers the cut, the first item drops everything after it.
    open_review || return 1
    xdotool key n; sleep 0.5; xdotool key c; sleep 0.8
    shot review-cut-menu-en-96
    xdotool key Down Return; sleep 0.5
    xdotool key Return
    check wait_for 30 test -f "$(trimmed -3)"
    local w3 h3
    read -r w3 h3 < <(size_of "$(trimmed -3)")
    echo "  cut at a seam: ${w3}x$h3"
    check test "$h3" -lt "$height"
    check rows_equal "$(trimmed -3)" 0 "$h3"

    # Esc leaves nothing behind.
    open_review || return 1
    xdotool key t shift+Down Escape
    check wait_for 10 review_closed
    sleep 1
    check test ! -e "$(trimmed -4)"
    check test "$(md5sum "$png" | cut -d' ' -f1)" = "$before"
    return 0
}

# The window alone on offline stitches of frames whose logs hold several kinds.
run_alone_shots() {
    local dpi lang name
    for name in corpus-hard/debref-animated-badge fixed-bars/down-player-bar corpus-panels/py-json-sidebar; do
        local base
        base=$(basename "$name")
        "$TF_WINE" "$exe" --stitch "$(tf_winpath "$repo/tests/data/$name/frames")" "$(tf_winpath "$work/$base.png")" \
            >/dev/null 2>&1
        check test -s "$work/$base.png.log.txt"
    done
    for dpi in 96 144; do
        tf_wine_set_dpi "$dpi"
        for lang in en-US zh-CN; do
            write_settings_lines language=$lang openAfterCapture=0
            for name in debref-animated-badge down-player-bar py-json-sidebar; do
                "$TF_WINE" "$exe" --review "$(tf_winpath "$work/$name.png")" >/dev/null 2>&1 &
                local alone=$!
                check wait_for 10 review_closed
                check wait_for 30 review_open
                sleep 2
                # A seam in view: N centres the first of the weakest kind.
                xdotool windowfocus "$(review_id)" 2>/dev/null; sleep 0.3
                xdotool key n; sleep 0.8
                shot "alone-$name-${lang%%-*}-$dpi"
                xdotool key Escape
                check wait_for 10 review_closed
                wait "$alone" 2>/dev/null
            done
        done
    done
    tf_wine_set_dpi 96
}

# The rows of the seams an offline stitch's log places (its frames are of one size).
logged_seam_rows() {  # log
    python3 - "$1" <<'PY'
import re, sys
frames = skipped = 0; length = 0; pairs = []; right = False
for line in open(sys.argv[1], encoding="utf-8", errors="replace"):
    line = line.strip()
    if line.startswith("frames="): frames = int(line[7:])
    elif line.startswith("skipped="): skipped = int(line[8:])
    elif line == "direction=right": right = True
    elif line.startswith("output="):
        w, h = line[7:].split("x"); length = int(w) if right else int(h)
    m = re.match(r"pair (\d+) overlap=(\d+) .*seam=(-?\d+) ", line + " ")
    if m: pairs.append((int(m.group(2)), int(m.group(3))))
n = frames - skipped
h = (length + sum(o for o, _ in pairs)) // n
offset = 0
for overlap, seam in pairs:
    offset += h - overlap
    upper = min(h - 1, overlap - 1)
    print(offset + (upper if upper < seam else max(seam, 1)))
PY
}

# The window alone on `png`, ready for keys; $alone is its process.
open_alone() {  # png
    "$TF_WINE" "$exe" --review "$(tf_winpath "$1")" >/dev/null 2>&1 &
    alone=$!
    check wait_for 10 review_closed
    check wait_for 30 review_open
    sleep 2
    xdotool windowfocus "$(review_id)" 2>/dev/null; sleep 0.3
}

# Alone on an offline stitch: N, C and "Drop everything after it" keep the
# rows above one of the logged seams, exactly.
run_alone_cut() {
    local name=debref-animated-badge
    png="$work/$name.png"
    out="$work"
    stem=$name
    rm -f "$(trimmed "")"
    read -r width height < <(size_of "$png")
    write_settings_lines language=en-US openAfterCapture=0
    open_alone "$png"
    xdotool key n; sleep 0.5; xdotool key c; sleep 0.8
    xdotool key Down Return; sleep 0.5
    xdotool key Return
    check wait_for 30 test -f "$(trimmed "")"
    check wait_for 10 review_closed
    wait "$alone" 2>/dev/null
    local w h rows
    read -r w h < <(size_of "$(trimmed "")")
    rows=$(logged_seam_rows "$png.log.txt" | tr '\n' ' ')
    echo "  cut at a seam: ${w}x$h; the log's seams at rows $rows"
    check test "$w" = "$width"
    check grep -qw -- "$h" <<<"$rows"
    check rows_equal "$(trimmed "")" 0 "$h"
}

# A sideways capture alone: it scrolls sideways, L, Shift+Right twice, R and
# Shift+Left once keep the columns [200, width - 100), exactly.
run_alone_sideways() {
    local name=debref-ch02-wide-table
    png="$work/$name.png"
    out="$work"
    stem=$name
    rm -f "$png" "$(trimmed "")"
    "$TF_WINE" "$exe" --stitch "$(tf_winpath "$repo/tests/data/sideways/$name/frames")" "$(tf_winpath "$png")" \
        --direction right >/dev/null 2>&1
    check test -s "$png.log.txt"
    check grep -q '^direction=right' "$png.log.txt"
    read -r width height < <(size_of "$png")
    local before
    before=$(md5sum "$png" | cut -d' ' -f1)
    write_settings_lines language=en-US openAfterCapture=0
    open_alone "$png"
    xdotool key l; for _ in 1 2; do xdotool key shift+Right; done
    xdotool key r shift+Left
    sleep 0.5
    shot "alone-sideways-trimmed-en-96"
    xdotool key Return
    check wait_for 30 test -f "$(trimmed "")"
    check wait_for 10 review_closed
    wait "$alone" 2>/dev/null
    echo "  sideways ${width}x$height trimmed: $(size_of "$(trimmed "")")"
    check crop_equals "$(trimmed "")" "$((width - 300))x$height+200+0"
    check test "$(md5sum "$png" | cut -d' ' -f1)" = "$before"
}

started=$(date +%s)
pass=0 fail=0
echo "case capture"
run_capture_case || { fail=$((fail + 1)); echo "FAIL capture"; }
stop_case
echo "case alone"
run_alone_shots
echo "case alone cut"
run_alone_cut
echo "case alone sideways"
run_alone_sideways
echo "$label: $pass checks passed, $fail failed in $(($(date +%s) - started)) s (shots in $work)"
[ "$fail" = 0 ]
