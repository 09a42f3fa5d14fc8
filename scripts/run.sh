#!/usr/bin/env bash
# Builds tallyframe.exe and performs its main job under Wine + Xvfb: the
# program is started, Start is pressed, a rectangle is dragged over a test
# window that shows a bundled page, and the long screenshot it saves is
# compared with the page. Everything it uses is built here, from nothing.
set -eu
repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"
case "$(uname -s)" in
    MINGW* | MSYS* | CYGWIN*)
        # On Windows itself the program is simply built and run.
        if [ ! -f build/windows/tallyframe.exe ]; then
            cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release
            cmake --build build/windows
        fi
        exec build/windows/tallyframe.exe ;;
esac
jobs="${TF_JOBS:-2}"
started=$(date +%s)
step() { echo "run: $*"; }

"$repo/scripts/bootstrap.sh"
step "building tallyframe.exe (build/windows)"
cmake --preset windows >/dev/null
cmake --build build/windows -j"$jobs" >/dev/null
exe="$repo/build/windows/tallyframe.exe"
# The comparison with the page runs on the Linux side with the program's own
# PNG reader, from the native build that the test command uses too.
step "building the image comparison (build/native)"
cmake --preset native >/dev/null
cmake --build build/native -j"$jobs" --target compare_truth >/dev/null

work="$repo/build/run"
rm -rf "$work"
step "capturing the bundled page under Wine + Xvfb"
set +e
TF_E2E_EXE="$exe" TF_E2E_WORK="$work" TF_COMPARE_TRUTH="$repo/build/native/tests/compare_truth" \
    bash tests/e2e/capture_e2e.sh plain > "$work.txt" 2>&1
rc=$?
set -e
cat "$work.txt"
png=$(compgen -G "$work/plain/out/tallyframe-*.png" | head -1 || true)
if [ "$rc" != 0 ] || [ -z "$png" ]; then
    echo "run: the capture failed (exit code $rc); details above and in $work" >&2
    exit 1
fi
# capture_e2e prints "PNG: <path> (<w>x<h>, <bytes> bytes, <seconds> s)".
seconds=$(sed -n 's/^  PNG: .*, \([0-9.]*\) s)$/\1/p' "$work.txt" | head -1)
size=$(identify -format '%wx%h' "$png")
cat <<EOF

Tallyframe ran its main job in $(( $(date +%s) - started )) s.
  The program:         $exe
  The long screenshot: $png
  Its size:            $size pixels ($(stat -c %s "$png") bytes)
  Capture time:        ${seconds:-?} s, from starting the program to the saved file
  Check:               it equals the page the test window scrolled through
                       (same size, fewer than 0.5 % of pixels off)
To run the program yourself on your own X display:
  bash scripts/wine-run.sh build/windows/tallyframe.exe
EOF
