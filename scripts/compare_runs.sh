#!/usr/bin/env bash
# Compares what two checkouts' test runs left behind, for a change that must
# not change behaviour (a restructuring): run `bash scripts/test.sh` in both,
# then
#   scripts/compare_runs.sh <before checkout> <after checkout>
# Screenshots of every window and page (96 and 144 DPI), the end-to-end
# captures' images and the offline stitch images must be pixel-identical; the
# offline stitch logs byte-identical; the capture logs identical apart from
# their timing fields. Prints one line per difference and a summary; exit 1
# when anything differs or is missing on one side only.
set -u
before="$(realpath "$1")" after="$(realpath "$2")"
same=0 differ=0
note() { echo "$*"; differ=$((differ + 1)); }
# Times and tick counts differ from run to run; everything else must not.
untimed() { sed -E 's/(ms|tick|time|elapsed)[A-Za-z]*=[0-9.]+//g' "$1"; }
same_pixels() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = "0" ]; }

# compare_set <relative folder> <find pattern> <pixels|bytes>
compare_set() {
    local folder="$1" pattern="$2" how="$3" rel a b
    [ -d "$before/$folder" ] || { note "missing before: $folder"; return; }
    [ -d "$after/$folder" ] || { note "missing after: $folder"; return; }
    while IFS= read -r rel; do
        a="$before/$folder/$rel" b="$after/$folder/$rel"
        if [ ! -f "$b" ]; then note "only before: $folder/$rel"; continue; fi
        case "$how" in
            pixels) same_pixels "$a" "$b" ;;
            bytes) cmp -s "$a" "$b" ;;
            # Times and tick counts differ from run to run; everything else must not.
        esac
        if [ $? = 0 ]; then same=$((same + 1)); else note "differs: $folder/$rel"; fi
    done < <(cd "$before/$folder" && find . -name "$pattern" -type f | sed 's#^\./##' | sort)
    while IFS= read -r rel; do
        [ -f "$before/$folder/$rel" ] || note "only after: $folder/$rel"
    done < <(cd "$after/$folder" && find . -name "$pattern" -type f | sed 's#^\./##' | sort)
}

compare_set build/gui-shots '*.png' pixels
compare_set build/e2e/stitch '*.png' pixels
compare_set build/e2e/stitch '*.log.txt' bytes
# Saved images are named by time: one per case folder, paired by the case.
for run in e2e-capture e2e-daily-use e2e-manual; do
    [ -d "$before/build/$run" ] || continue
    for case_dir in "$before/build/$run"/*/; do
        name=$(basename "$case_dir")
        a=$(compgen -G "$case_dir/out/tallyframe-*.png" | head -1)
        [ -n "$a" ] || continue
        b=$(compgen -G "$after/build/$run/$name/out/tallyframe-*.png" | head -1)
        if [ -z "$b" ]; then note "only before: $run/$name"; continue; fi
        if same_pixels "$a" "$b"; then same=$((same + 1)); else note "differs: $run/$name"; fi
    done
done
# Capture log folders are named by time: pair them by their order.
logs_before=("$before"/build/e2e-win/tally_frame_log/*/capture.log.txt)
logs_after=("$after"/build/e2e-win/tally_frame_log/*/capture.log.txt)
if [ ${#logs_before[@]} != ${#logs_after[@]} ]; then
    note "capture logs: ${#logs_before[@]} before, ${#logs_after[@]} after"
else
    for i in "${!logs_before[@]}"; do
        [ -f "${logs_before[$i]}" ] || continue
        if diff -q <(untimed "${logs_before[$i]}") <(untimed "${logs_after[$i]}") >/dev/null; then
            same=$((same + 1))
        else
            note "differs: capture log ${logs_before[$i]#$before/} / ${logs_after[$i]#$after/}"
        fi
    done
fi
echo "compare_runs: $same same, $differ different"
[ "$differ" = 0 ]
