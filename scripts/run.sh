#!/usr/bin/env bash
# Builds tallyframe.exe and performs its main job under Wine + Xvfb. When the
# capture end-to-end script is present it makes a real long screenshot of a
# bundled page in a test window; otherwise it joins a bundled frames folder.
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
"$repo/scripts/bootstrap.sh"
cmake --preset windows >/dev/null
cmake --build build/windows -j"${TF_JOBS:-2}"
if [ -x tests/e2e/capture_e2e.sh ] && [ -z "${TF_RUN_STITCH_ONLY:-}" ]; then
    # A real capture: tallyframe.exe, Start, a dragged rectangle over a test
    # window that shows a bundled page; it prints where the PNG is and its size.
    exec tests/e2e/capture_e2e.sh plain
fi
. "$repo/scripts/wine-env.sh"
tf_wine_prefix
frames="$repo/tests/data/corpus/py-tutorial-controlflow/frames"
out="$repo/build/run/long-screenshot.png"
mkdir -p "$(dirname "$out")"
rm -f "$out"
set +e
"$TF_WINE" build/windows/tallyframe.exe --stitch "$(tf_winpath "$frames")" "$(tf_winpath "$out")"
rc=$?
set -e
if [ "$rc" != 0 ] || [ ! -f "$out" ]; then
    echo "run: the stitch failed (exit code $rc); log: $out.log.txt" >&2
    exit 1
fi
echo "run: joined $(ls "$frames" | wc -l) frames into $out ($(identify -format '%wx%h' "$out"), $(stat -c %s "$out") bytes)"
