#!/usr/bin/env bash
# Compares what two checkouts' programs make, for a restructuring that must
# change nothing a user sees:
#   stitch  every corpus case's `--stitch` image and log (native builds)
#   shots   the in-process window screenshots of the ui suite at 96 and 144 DPI
#   logs    the capture log of each end-to-end capture case, with the values
#           that are times (watchedMs, settleMs, ...) blanked out
#
#   scripts/compare_before_after.sh BEFORE_DIR AFTER_DIR [WORK]
#
# Each checkout must have built what its parts use: build/native/tallyframe,
# build/windows-tests/tests/ui_tests.exe, build/windows/tallyframe.exe. Both
# programs get the same inputs: AFTER_DIR's corpus, its capture script and its
# scroll fixture. Results, and a line per item that differs, go to WORK
# (default AFTER_DIR/build/compare). Prints one verdict per group; exit code 0
# when every group is identical.
# Environment:
#   TF_COMPARE_PARTS  extended regular expression of the parts to run (default all)
#   TF_COMPARE_CASES  capture cases (default those capture_e2e.sh runs by default)
#   TF_GUI_LOCK       a lock file each GUI run holds (flock), one run at a time
#   TF_COMPARE_SIDES  "before", "after" or both (default): runs only that side's
#                     shots and captures, keeping the other side's from an earlier run
set -u
[ $# -ge 2 ] || { echo "usage: $0 BEFORE_DIR AFTER_DIR [WORK]"; exit 2; }
before="$(realpath "$1")" after="$(realpath "$2")"
work="$(realpath -m "${3:-$after/build/compare}")"
mkdir -p "$work"
differed=0
read -ra sides <<< "${TF_COMPARE_SIDES:-before after}"

wanted() { [ -z "${TF_COMPARE_PARTS:-}" ] || [[ "$1" =~ $TF_COMPARE_PARTS ]]; }
# Runs a command or function of this script holding the GUI lock, if one is set.
gui() { if [ -n "${TF_GUI_LOCK:-}" ]; then ( flock 8 && "$@" ) 8>>"$TF_GUI_LOCK"; else "$@"; fi; }
same_pixels() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = "0" ]; }
# Prints the group's verdict from its list of differences.
verdict() {  # group differences-file items
    local n
    n=$(wc -l < "$2")
    if [ "$n" = 0 ]; then echo "$1: identical ($3 compared)"
    else echo "$1: DIFFERENT ($n of $3; see $2)"; differed=$((differed + 1)); fi
}

compare_stitch() {
    local out="$work/stitch" diffs="$work/stitch.diff" items=0 set case_dir name dir side
    rm -rf "$out"; mkdir -p "$out"; : > "$diffs"
    for set in corpus corpus-hard corpus-panels sideways fixed-bars; do
        for case_dir in "$after/tests/data/$set"/*/; do
            name="$set-$(basename "$case_dir")" dir=down
            case "$set/$(basename "$case_dir")" in sideways/*|fixed-bars/sideways-*) dir=right ;; esac
            for side in before after; do
                local program="$before/build/native/tallyframe"
                [ "$side" = after ] && program="$after/build/native/tallyframe"
                "$program" --stitch "$case_dir/frames" "$out/$name-$side.png" --direction "$dir" \
                    >/dev/null 2>"$out/$name-$side.err"
                echo "exit=$?" >> "$out/$name-$side.err"
            done
            items=$((items + 1))
            local b="$out/$name-before" a="$out/$name-after"
            if ! cmp -s "$b.err" "$a.err"; then echo "$name: exit or messages differ" >> "$diffs"
            elif [ -f "$b.png" ] && ! same_pixels "$b.png" "$a.png"; then echo "$name: image differs" >> "$diffs"
            elif ! cmp -s "$b.png.log.txt" "$a.png.log.txt"; then echo "$name: log differs" >> "$diffs"; fi
        done
    done
    verdict "stitch outputs" "$diffs" "$items"
}

# Runs one checkout's ui suite with screenshots on, in a fresh prefix at that DPI.
shots_of() {  # checkout dpi folder
    local tree="$1" dpi="$2" folder="$3"
    rm -rf "$folder"; mkdir -p "$folder"
    (
        export TF_WINE_PREFIX="$work/prefix-$dpi" TF_DPI="$dpi"
        unset DISPLAY
        . "$after/scripts/wine-env.sh"
        tf_wine_prefix
        tf_wine_set_dpi "$dpi"
        tf_xvfb || exit 1
        TF_GUI_SHOTS="$(tf_winpath "$folder")" timeout 300 "$TF_WINE" "$tree/build/windows-tests/tests/ui_tests.exe" \
            --gtest_filter='MainWindow.*' > "$folder.log" 2>&1
        "$TF_WINESERVER" -k >/dev/null 2>&1
        tf_xvfb_stop
    )
}

compare_shots() {
    local diffs="$work/shots.diff" items=0 dpi side png name
    : > "$diffs"
    for dpi in 96 144; do
        for side in "${sides[@]}"; do
            local tree="$before"; [ "$side" = after ] && tree="$after"
            gui shots_of "$tree" "$dpi" "$work/shots-$side-$dpi"
        done
        for png in "$work/shots-before-$dpi"/*.png "$work/shots-after-$dpi"/*.png; do
            [ -f "$png" ] || continue
            name="$(basename "$png")"
            [ "$png" = "$work/shots-after-$dpi/$name" ] && [ -f "$work/shots-before-$dpi/$name" ] && continue
            items=$((items + 1))
            if [ ! -f "$work/shots-after-$dpi/$name" ]; then echo "$dpi dpi $name: only before" >> "$diffs"
            elif [ ! -f "$work/shots-before-$dpi/$name" ]; then echo "$dpi dpi $name: only after" >> "$diffs"
            elif ! same_pixels "$png" "$work/shots-after-$dpi/$name"; then
                echo "$dpi dpi $name: $(compare -metric AE "$png" "$work/shots-after-$dpi/$name" null: 2>&1) pixels differ" >> "$diffs"
            fi
        done
    done
    verdict "window screenshots" "$diffs" "$items"
}

# A capture log with every time blanked: the lines a run under another load
# would write otherwise alike.
timeless() { tr -d '\r' < "$1" | sed -E 's/([A-Za-z]*Ms)=[0-9]+/\1=_/g'; }

compare_logs() {
    local diffs="$work/logs.diff" build="$work/e2e-build" items=0 case side
    local cases=()
    read -ra cases <<< "${TF_COMPARE_CASES:-}"
    if [ ${#cases[@]} = 0 ]; then
        # The script's own default list, from `|| cases=(` to the closing bracket.
        read -ra cases <<< "$(awk '/\|\| cases=\(/ { f = 1 } f { print } f && /\)$/ { exit }' \
            "$after/tests/e2e/capture_e2e.sh" | sed 's/.*cases=(//; s/)$//' | tr '\n' ' ')"
    fi
    : > "$diffs"
    mkdir -p "$build" "$work/logs-before" "$work/logs-after"
    for case in "${cases[@]}"; do
        for side in "${sides[@]}"; do
            local tree="$before"; [ "$side" = after ] && tree="$after"
            # The program sits in the fixture's build folder, where the script
            # looks for the log folder beside it.
            cp "$tree/build/windows/tallyframe.exe" "$build/tallyframe.exe"
            rm -rf "$build/tally_frame_log" "$work/logs-$side/$case.log"
            TF_E2E_BUILD="$build" TF_E2E_EXE="$build/tallyframe.exe" TF_E2E_WORK="$work/e2e-$side" \
                TF_WINE_PREFIX="$work/prefix-e2e" TF_E2E_LOGGING=1 TF_COMPARE_TRUTH="$after/build/native/tests/compare_truth" \
                gui bash "$after/tests/e2e/capture_e2e.sh" "$case" > "$work/logs-$side/$case.run" 2>&1
            local log
            log=$(ls -d "$build"/tally_frame_log/*/capture.log.txt 2>/dev/null | tail -1)
            [ -n "$log" ] && timeless "$log" > "$work/logs-$side/$case.log"
        done
        items=$((items + 1))
        if [ ! -s "$work/logs-before/$case.log" ] || [ ! -s "$work/logs-after/$case.log" ]; then
            echo "$case: no capture log (see $work/logs-*/$case.run)" >> "$diffs"
        elif ! cmp -s "$work/logs-before/$case.log" "$work/logs-after/$case.log"; then
            echo "$case: log differs" >> "$diffs"
        fi
    done
    verdict "capture logs" "$diffs" "$items"
}

wanted stitch && compare_stitch
wanted shots && compare_shots
wanted logs && compare_logs
[ "$differed" = 0 ]
