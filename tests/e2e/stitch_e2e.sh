#!/usr/bin/env bash
# The real executables' offline stitch mode on the real-page corpus: the
# Windows exe under Wine must write the same image as the native build, and
# both must match each case's true long image.
#   tests/e2e/stitch_e2e.sh <native tallyframe> <tallyframe.exe> <work folder>
set -u
native="$1" exe="$2" work="$3"
repo="$(cd "$(dirname "$0")/../.." && pwd)"
. "$repo/scripts/wine-env.sh"
. "$repo/tests/e2e/gui_e2e_lib.sh"
mkdir -p "$work"
pass=0 fail=0

same_image() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = "0" ]; }
# Built with the native tests, beside the native executable's build.
compare_truth="${TF_COMPARE_TRUTH:-$(dirname "$native")/tests/compare_truth}"

# Stitches one case's frames with both executables into $nat and $win (set
# for the caller's own checks): both must succeed with the same image.
stitch_both() {
    local case_dir="$1" name
    name=$(basename "$case_dir")
    nat="$work/$name-native.png" win="$work/$name-wine.png"
    rm -f "$nat" "$win" "$nat.log.txt" "$win.log.txt"
    "$native" --stitch "$case_dir/frames" "$nat"; check test $? = 0
    "$TF_WINE" "$exe" --stitch "$(tf_winpath "$case_dir/frames")" "$(tf_winpath "$win")"; check test $? = 0
    check same_image "$nat" "$win"
}

# A case whose whole image must match the truth, with both logs saying the
# same, line for line, in CR LF text.
check_whole_page() {
    stitch_both "$1"
    check "$compare_truth" "$nat" "$1/truth.png"
    check cmp -s "$nat.log.txt" "$win.log.txt"
}

for case_dir in "$repo"/tests/data/corpus/*/; do
    check_whole_page "$case_dir"
    check grep -q $'^output=[0-9]*x[0-9]*\r$' "$win.log.txt"
done

# Hard pages (fixed bars, sticky headings, a big notch, tiny text, an animated
# badge, a last notch of 7 rows).
for case_dir in "$repo"/tests/data/corpus-hard/*/; do
    check_whole_page "$case_dir"
done

# Pages with a fixed side panel: the content columns must match the truth.
for case_dir in "$repo"/tests/data/corpus-panels/*/; do
    right=$(python3 -c "import json,sys; print(json.load(open(sys.argv[1]))['panel']['right'])" "$case_dir/meta.json")
    stitch_both "$case_dir"
    check "$compare_truth" "$nat" "$case_dir/truth.png" $((right + 8))
    check grep -q $'^panels=[0-9]*,[0-9]*\r$' "$win.log.txt"
done

# Real pages scrolled sideways: the whole wide image must match the truth.
for case_dir in "$repo"/tests/data/sideways/*/; do
    name=$(basename "$case_dir")
    nat="$work/$name-native.png" win="$work/$name-wine.png"
    rm -f "$nat" "$win" "$nat.log.txt" "$win.log.txt"
    "$native" --stitch "$case_dir/frames" "$nat" --direction right; check test $? = 0
    "$TF_WINE" "$exe" --stitch "$(tf_winpath "$case_dir/frames")" "$(tf_winpath "$win")" --direction right
    check test $? = 0
    check same_image "$nat" "$win"
    check "$compare_truth" "$nat" "$case_dir/truth.png"
    check cmp -s "$nat.log.txt" "$win.log.txt"
    check grep -q $'^direction=right\r$' "$win.log.txt"
done
# Pages under a bar that stays put (tests/data/fixed-bars): both executables
# join them alike; the bars at a side are kept once as panels.
for case_dir in "$repo"/tests/data/fixed-bars/*/; do
    name=$(basename "$case_dir") direction=down
    case "$name" in sideways-*) direction=right ;; esac
    nat="$work/$name-native.png" win="$work/$name-wine.png"
    rm -f "$nat" "$win" "$nat.log.txt" "$win.log.txt"
    "$native" --stitch "$case_dir/frames" "$nat" --direction "$direction"; check test $? = 0
    "$TF_WINE" "$exe" --stitch "$(tf_winpath "$case_dir/frames")" "$(tf_winpath "$win")" --direction "$direction"
    check test $? = 0
    check same_image "$nat" "$win"
    check cmp -s "$nat.log.txt" "$win.log.txt"
    case "$name" in *-player-bar) [ "$direction" = down ] || check grep -q $'^panels=0,64\r$' "$win.log.txt" ;;
                    *) check grep -q $'^panels=[1-9][0-9]*,0\r$' "$win.log.txt" ;; esac
done

# A direction word the program does not know is a usage error, not a stitch.
"$native" --stitch "$repo/tests/data/sideways/debref-ch02-long-code/frames" "$work/left.png" --direction left 2>"$work/left.err"
check test $? = 1
check grep -q 'usage: tallyframe --stitch' "$work/left.err"
check test ! -e "$work/left.png.log.txt"
"$TF_WINE" "$exe" --stitch "$(tf_winpath "$work/empty")" "$(tf_winpath "$work/left.png")" --direction left
check test $? = 1
check test ! -e "$work/left.png.log.txt"

# Failure paths of the exe: exit code 1, the log ends in "exception", no image.
"$TF_WINE" "$exe" --stitch "$(tf_winpath "$work/no-such-folder")" "$(tf_winpath "$work/none.png")"
check test $? = 1
check grep -q $'^exception\r$' "$work/none.png.log.txt"
check test ! -e "$work/none.png"
mkdir -p "$work/empty"
"$TF_WINE" "$exe" --stitch "$(tf_winpath "$work/empty")" "$(tf_winpath "$work/empty.png")"
check test $? = 1
check test "$(tr -d '\r' < "$work/empty.png.log.txt" | tr '\n' ' ')" = "frames=0 exception "
check test ! -e "$work/empty.png"
# Anything but the exact command line starts the interactive program, not the stitch.
"$TF_WINE" "$exe" --Stitch "$(tf_winpath "$work/empty")" "$(tf_winpath "$work/caps.png")" &
sleep 4; kill $! 2>/dev/null; wait $! 2>/dev/null
check test ! -e "$work/caps.png.log.txt"

echo "stitch-e2e: $pass passed, $fail failed"
[ "$fail" = 0 ]
