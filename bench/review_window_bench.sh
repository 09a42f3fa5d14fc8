#!/usr/bin/env bash
# The review window on a 100-frame full-HD capture: a 1920 x 70,000 image
# of text-like stripes (bench/make_long_png.py), opened by review_window_bench.exe under Wine +
# Xvfb; prints its report (first rows, whole image decoded, Page Down and
# End repaints, private memory against the image's bytes) and the process's
# peak resident memory, sampled from outside (Wine reports no private bytes).
#   bench/review_window_bench.sh [windows-tests build folder]
set -u
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$repo/build/windows-tests}")"
work="$repo/build/bench-review"
mkdir -p "$work"
. /work/ccache-env.sh 2>/dev/null || true
cmake --build "$build" -j2 --target review_window_bench >/dev/null || exit 1
image="$work/long-1920x70000.png"
[ -f "$image" ] || python3 "$repo/bench/make_long_png.py" "$image" 1920 70000 || exit 1
export TF_WINE_PREFIX="${TF_WINE_PREFIX:-$work/prefix}"
. "$repo/scripts/wine-env.sh"
tf_wine_prefix
tf_xvfb || exit 1
trap '"$TF_WINESERVER" -k >/dev/null 2>&1; tf_xvfb_stop' EXIT
rm -f "$work/report.txt"
"$TF_WINE" "$build/tests/review_window_bench.exe" "$(tf_winpath "$image")" "$(tf_winpath "$work/report.txt")" &
bench=$!
peak=0
before=""
while kill -0 "$bench" 2>/dev/null; do
  for pid in $(pgrep -f 'review_window_bench.exe'); do
    hwm=$(awk '/VmHWM/{print $2}' "/proc/$pid/status" 2>/dev/null)
    [ -n "$hwm" ] && [ "$hwm" -gt "$peak" ] && peak=$hwm
    if [ -z "$before" ] && grep -q '^warm' "$work/report.txt" 2>/dev/null; then
      before=$(awk '/VmRSS/{print $2}' "/proc/$pid/status" 2>/dev/null)
    fi
  done
  sleep 0.2
done
wait "$bench"
echo "image: 1920x70000, $(stat -c %s "$image") bytes, $((1920 * 70000 * 4 / 1024)) KiB of pixels"
cat "$work/report.txt"
before=${before:-0}
echo "resident before the open ${before} KiB, peak ${peak} KiB: the window took" \
  "$(awk -v p="$peak" -v b="$before" 'BEGIN { printf "%.2f", (p - b) / (1920 * 70000 * 4 / 1024) }') x the pixels"
