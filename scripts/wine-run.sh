#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix and returns its exit
# code: scripts/wine-run.sh program.exe [args...]. Also the CMake test emulator.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
tf_wine_prefix
started_x=0
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then tf_xvfb || exit 1; started_x=1; fi
"$TF_WINE" "$@"
rc=$?
if [ "$started_x" = 1 ]; then "$TF_WINESERVER" -k >/dev/null 2>&1; tf_xvfb_stop; fi
exit $rc
