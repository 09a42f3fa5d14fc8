#!/usr/bin/env bash
# How fast an automatic capture goes under Wine + Xvfb: the end-to-end capture
# cases and Wine's notepad, wordpad and regedit, each run with a program built before and one built
# after a change, timed from the accepted rectangle (the picked area for
# Wine programs) to the saved file. Prints a table of seconds, rows of new content
# per second and the settle period each capture learnt (read from the capture
# log of a second, logged run of the build after). A measurement, not a test:
# a case that fails its comparison is marked, nothing fails the script.
#
#   bench/capture_pace.sh [case ...]   (default: plain smooth150 smooth400 lazy restless
#                                       message keys sideways sidewayssmooth400 sidewayslazy
#                                       sidewaysrestless sidewaysmessage notepad wordpad regedit)
# Environment:
#   TF_PACE_BEFORE  the program to measure first (default /work/base/build/windows/tallyframe.exe)
#   TF_PACE_AFTER   the program to measure second (default build/e2e-win/tallyframe.exe, built by the e2e script)
#   TF_PACE_WORK    results (default build/capture-pace)
#   TF_PACE_LOGGED=0  skip the logged run that reads the settle period
set -u
repo="$(cd "$(dirname "$0")/.." && pwd)"
before="${TF_PACE_BEFORE:-/work/base/build/windows/tallyframe.exe}"
after="${TF_PACE_AFTER:-$repo/build/e2e-win/tallyframe.exe}"
work="${TF_PACE_WORK:-$repo/build/capture-pace}"
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(plain smooth150 smooth400 lazy restless message keys sideways sidewayssmooth400
                                 sidewayslazy sidewaysrestless sidewaysmessage notepad wordpad regedit)
mkdir -p "$work"

# One run of one case: its output in work/<tag>-<case>.txt.
run() {  # tag exe case [env...]
    local tag="$1" exe="$2" name="$3"; shift 3
    local out="$work/$tag-$name.txt" script=tests/e2e/capture_e2e.sh
    picked "$name" && script=tests/e2e/pick_e2e.sh
    env TF_E2E_EXE="$exe" TF_E2E_WORK="$work/$tag" "$@" bash "$repo/$script" "$name" > "$out" 2>&1
}

# The cases of a Wine program picked with one click (tests/e2e/pick_e2e.sh).
picked() { case "$1" in notepad|wordpad|regedit) return 0 ;; esac; return 1; }
seconds() { sed -n 's/^  pace: \([0-9.]*\) s.*/\1/p' "$1" | tail -1; }
# Whether the image matched the truth. The whole case may still fail on what
# only a newer program writes (its capture log), which says nothing of the image.
passed() {
    local off
    off=$(sed -n 's/.* \([0-9.]*\) % of pixels off.*/\1/p' "$1" | tail -1)
    if [ -z "$off" ]; then echo FAIL
    elif [ "$(echo "$off < 0.5" | bc)" = 1 ]; then echo ok
    else echo "off$off%"; fi
}
# Rows (sideways: columns) of new content: the saved image less its first frame.
new_rows() {  # output case
    local size w h
    size=$(sed -n 's/^  PNG: .* (\([0-9]*x[0-9]*\),.*/\1/p; s/^  PNG: .* (\([0-9]*x[0-9]*\))$/\1/p' "$1" | tail -1)
    [ -n "$size" ] || return
    w=${size%x*} h=${size#*x}
    case "$2" in
        sideways*) echo $((w - 600)) ;;
        notepad|wordpad|regedit) sed -n 's/^  highlighted [a-z]* area: .* [0-9]*x\([0-9]*\)$/\1/p' "$1" | tail -1 | { read -r fh; echo $((h - fh)); } ;;
        *) echo $((h - 600)) ;;
    esac
}
rate() { [ -n "$1" ] && [ -n "$2" ] && echo "scale=0; $1 / $2" | bc 2>/dev/null; }

printf '%-18s %9s %9s %9s %9s %7s %9s\n' case "before s" "rows/s" "after s" "rows/s" settle "exact"
for c in "${cases[@]}"; do
    run before "$before" "$c"
    run after "$after" "$c"
    settle="-"
    if [ "${TF_PACE_LOGGED:-1}" = 1 ] && ! picked "$c"; then
        run logged "$after" "$c" TF_E2E_LOGGING=1
        settle=$(sed -n 's/^  settle: \([0-9]*\) ms.*/\1/p' "$work/logged-$c.txt" | tail -1)
    fi
    b=$(seconds "$work/before-$c.txt") a=$(seconds "$work/after-$c.txt")
    rows=$(new_rows "$work/after-$c.txt" "$c")
    printf '%-18s %9s %9s %9s %9s %7s %9s\n' "$c" "${b:--}" "$(rate "$rows" "$b")" "${a:--}" "$(rate "$rows" "$a")" \
        "${settle:--}" "$(passed "$work/before-$c.txt")/$(passed "$work/after-$c.txt")"
done
