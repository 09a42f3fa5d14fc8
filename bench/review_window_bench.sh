#!/usr/bin/env bash
# The review window on a 100-frame full-HD capture: a 1920 x 70,000 image
# of text-like stripes (bench/make_long_png.py), opened by review_window_bench.exe under Wine +
# Xvfb; prints its report (first rows, whole image decoded, Page Down and
# End repaints, private memory against the image's bytes).
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
"$TF_WINE" "$build/tests/review_window_bench.exe" "$(tf_winpath "$image")" "$(tf_winpath "$work/report.txt")"
echo "image: 1920x70000, $(stat -c %s "$image") bytes"
cat "$work/report.txt"
