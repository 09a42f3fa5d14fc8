#!/usr/bin/env bash
# The real executables' self-test mode: native and under Wine the report ends
# with "ALL TESTS PASSED" and exit code 0; a report in a missing folder gives
# exit code 1 and leaves nothing behind; a file of the round-trip image's name
# is neither replaced nor removed; a report that cannot be written (a folder,
# an empty path, a device) fails the run with a reason on stderr.
#   tests/e2e/self_test.sh <native tallyframe> <tallyframe.exe> <work folder>
set -u
native="$1" exe="$2" work="$3"
repo="$(cd "$(dirname "$0")/../.." && pwd)"
. "$repo/scripts/wine-env.sh"
. "$repo/tests/e2e/gui_e2e_lib.sh"
tf_wine_prefix
# Run on its own, it brings its own display (the self-test opens no window, but
# Wine wants one); under scripts/test.sh the display is already there.
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    tf_xvfb || exit 1
    trap '"$TF_WINESERVER" -k >/dev/null 2>&1; tf_xvfb_stop' EXIT
fi
mkdir -p "$work"
pass=0 fail=0

# Every line ends in CR LF and the last one is the overall verdict.
report_passed() {
    tail -c 18 "$1" | cmp -s - <(printf 'ALL TESTS PASSED\r\n') || return 1
    [ "$(grep -c $'\r$' "$1")" = "$(wc -l < "$1")" ] || return 1
    [ "$(wc -l < "$1")" = 23 ] || return 1
    ! grep -q FAIL "$1"
}

run_native() { "$native" --self-test "$1"; }
run_exe() { "$TF_WINE" "$exe" --self-test "$(tf_winpath "$1")"; }

for side in native exe; do
    report="$work/$side-report.txt"
    rm -f "$report" "$report.roundtrip.png"
    # The capture-log check removes the folders it made beside the program;
    # logs of real captures made there before (the GUI tests log one) stay.
    bin_dir="$(dirname "$(realpath "${native}")")"
    [ "$side" = exe ] && bin_dir="$(dirname "$(realpath "$exe")")"
    logs_before="$(ls -A "$bin_dir/tally_frame_log" 2>/dev/null; [ -e "$bin_dir/tally_frame_log" ] && echo present)"
    # A stale report longer than the new one must be overwritten, not patched.
    head -c 5000 /dev/zero | tr '\0' 'x' > "$report"
    "run_$side" "$report"; check test $? = 0
    check report_passed "$report"
    check test ! -e "$report.roundtrip.png"
    logs_after="$(ls -A "$bin_dir/tally_frame_log" 2>/dev/null; [ -e "$bin_dir/tally_frame_log" ] && echo present)"
    check test "$logs_after" = "$logs_before"

    missing="$work/$side-missing/sub/report.txt"
    rm -rf "$work/$side-missing"
    "run_$side" "$missing" 2>/dev/null; check test $? = 1
    check test ! -e "$work/$side-missing"

    # Someone's file of the round-trip image's name stays as it was.
    mine="$work/$side-mine.txt"
    printf 'not yours' > "$mine.roundtrip.png"
    "run_$side" "$mine"; check test $? = 0
    check test "$(cat "$mine.roundtrip.png")" = "not yours"
    check test ! -e "$mine.roundtrip-2.png"

    # Reports that cannot be written fail the run and say why.
    mkdir -p "$work/$side-folder-report"
    unwritable=("$work/$side-folder-report")
    [ "$side" = native ] && unwritable+=("/dev/full")
    for bad in "${unwritable[@]}"; do
        "run_$side" "$bad" 2>"$work/$side.err"; rc=$?
        check test "$rc" = 1
        check grep -q '^tallyframe: --self-test failed: .*the report' "$work/$side.err"
        echo "self-test report $bad ($side): exit $rc: $(cat "$work/$side.err")"
    done
    check test -z "$(ls -A "$work/$side-folder-report")"
done
# An empty report path (the exe is given an empty argument the same way).
"$native" --self-test "" 2>"$work/empty.err"; check test $? = 1
check grep -q 'has no file name' "$work/empty.err"
"$TF_WINE" "$exe" --self-test "" 2>"$work/empty-exe.err"; check test $? = 1
check grep -q 'has no file name' "$work/empty-exe.err"

# The two builds compute the same checks: the reports agree byte for byte.
check cmp -s "$work/native-report.txt" "$work/exe-report.txt"

# Anything but the exact flag is not the self-test.
rm -f "$work/caps.txt"
"$native" --Self-test "$work/caps.txt" >/dev/null 2>&1
check test ! -e "$work/caps.txt"

echo "self-test-e2e: $pass passed, $fail failed"
[ "$fail" = 0 ]
