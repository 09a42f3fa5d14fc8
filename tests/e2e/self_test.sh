#!/usr/bin/env bash
# The real executables' self-test mode: native and under Wine the report ends
# with "ALL TESTS PASSED" and exit code 0; a report in a missing folder gives
# exit code 1 and leaves nothing behind.
#   tests/e2e/self_test.sh <native tallyframe> <tallyframe.exe> <work folder>
set -u
native="$1" exe="$2" work="$3"
repo="$(cd "$(dirname "$0")/../.." && pwd)"
. "$repo/scripts/wine-env.sh"
tf_wine_prefix
# Run on its own, it brings its own display (the self-test opens no window, but
# Wine wants one); under scripts/test.sh the display is already there.
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    tf_xvfb || exit 1
    trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1; tf_xvfb_stop' EXIT
fi
mkdir -p "$work"
pass=0 fail=0
check() { if "$@"; then pass=$((pass + 1)); else fail=$((fail + 1)); echo "FAIL: $*"; fi; }

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
    "run_$side" "$missing"; check test $? = 1
    check test ! -e "$work/$side-missing"
done

# The two builds compute the same checks: the reports agree byte for byte.
check cmp -s "$work/native-report.txt" "$work/exe-report.txt"

# Anything but the exact flag is not the self-test.
rm -f "$work/caps.txt"
"$native" --Self-test "$work/caps.txt" >/dev/null 2>&1
check test ! -e "$work/caps.txt"

echo "self-test-e2e: $pass passed, $fail failed"
[ "$fail" = 0 ]
