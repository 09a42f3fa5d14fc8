#!/usr/bin/env bash
# What one pointer move over the selection overlay costs in the real program
# under Wine + Xvfb: a build with TALLYFRAME_HOVER_TIMING writes one line per
# move (the window search, and the redraw when the highlight changed), while
# xdotool sweeps the pointer over the fixture, notepad and the bare desktop.
# Prints the median, 95th percentile and maximum of each. A measurement, not
# a test: nothing here passes or fails.
#
#   bench/overlay/hover_cost.sh [moves]      (default 400)
# Environment:
#   TF_HOVER_BUILD  the timing build folder (default build/hover-timing; configured and built here)
#   TF_WINE_PREFIX  Wine prefix (default build/wine/prefix)
set -u
repo="$(cd "$(dirname "$0")/../.." && pwd)"
moves="${1:-400}"
timing_build="${TF_HOVER_BUILD:-$repo/build/hover-timing}"
if [ ! -f "$timing_build/build.ninja" ]; then
    cmake --preset windows -B "$timing_build" -DCMAKE_CXX_FLAGS=-DTALLYFRAME_HOVER_TIMING >/dev/null || exit 1
fi
cmake --build "$timing_build" -j2 --target tallyframe >/dev/null || { echo "hover-cost: build failed"; exit 1; }
export TF_E2E_EXE="$timing_build/tallyframe.exe"
build="$repo/build/e2e-win"
work="$repo/build/hover-cost"
page="$repo/tests/data/corpus/debref-ch05/truth.png"
label=hover-cost
. "$repo/tests/e2e/gui_e2e_lib.sh"
e2e_prepare 1 1

write_settings_lines "captureFolder=$(tf_winpath "$work")" language=en-US openAfterCapture=0 captureLoggingEnabled=0
rm -f "$build/hover_timing.txt"
start_fixture "$work" $FX $FY $FW $FH --scrollbar || exit 1
"$TF_WINE" notepad >/dev/null 2>&1 &
notepad=$!
sleep 2
start_app || exit 1
press_start
# Back and forth over the fixture, its scroll bar, notepad and the desktop.
for i in $(seq 1 "$moves"); do
    x=$(( 100 + (i * 37) % 1700 )) y=$(( 150 + (i * 53) % 800 ))
    xdotool mousemove $x $y
    sleep 0.02
done
sleep 0.5
xdotool key Escape
sleep 1
kill "$notepad" "$app" "$fixture_pid" 2>/dev/null

summary() {  # field [only redrawn]
    local field="$1" filter="${2:-}"
    grep "${filter}" "$build/hover_timing.txt" | sed -n "s/.*$field=\([0-9]*\).*/\1/p" | sort -n |
        awk -v name="$field" '{ v[NR] = $1 } END {
            if (NR == 0) { print name ": no samples"; exit }
            p95 = int(NR * 0.95); if (p95 < 1) p95 = 1
            printf "%s: %d samples, median %d us, 95th %d us, max %d us\n", name, NR, v[int((NR + 1) / 2)], v[p95], v[NR] }'
}
[ -f "$build/hover_timing.txt" ] || { echo "hover-cost: no timing lines were written"; exit 1; }
summary search_us
summary redraw_us 'redrawn=1'
summary compose_us
summary present_us
