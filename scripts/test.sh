#!/usr/bin/env bash
# Builds and runs every test tier:
#   1. native unit tests (GoogleTest under ASan/UBSan)
#   2. the same suites and the Windows-only ones, cross-compiled, under Wine
#   3. the real tallyframe.exe's window-less modes under Wine, and the
#      downloads made from it (zip, installer, winget manifests)
#   4. GUI tests of the real program under Wine + Xvfb
# Installs what it needs itself (scripts/bootstrap.sh) and builds a Wine prefix
# from scratch when there is none.
set -u
repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"
"$repo/scripts/bootstrap.sh" || exit 1
jobs="${TF_JOBS:-2}"
results=()
failed=0
# TF_TIERS (an extended regular expression) runs only the tiers whose names
# match it, for work on one tier; the others are left out of the count.
selected() { [ -z "${TF_TIERS:-}" ] || [[ "$1" =~ $TF_TIERS ]]; }
tier() {  # tier <name> <command...>
    local name="$1"; shift
    selected "$name" || return 0
    echo "=== $name"
    local began=$SECONDS
    if "$@"; then results+=("PASS $name"); else results+=("FAIL $name"); failed=$((failed + 1)); fi
    # The summary's times say where a long run goes.
    results[-1]+=" ($((SECONDS - began)) s)"
}

build() {  # build <preset>
    cmake --preset "$1" >/dev/null && cmake --build "build/$1" -j"$jobs"
}

tier "native build" build native
tier "native unit tests" ctest --test-dir build/native --output-on-failure -j"$jobs"

# One X display and one prefix for every Windows run below.
. "$repo/scripts/wine-env.sh"
tf_wine_prefix
tf_xvfb || exit 1
trap '"$TF_WINESERVER" -k >/dev/null 2>&1; tf_xvfb_stop' EXIT

tier "windows test build" build windows-tests
tier "windows unit tests (wine)" ctest --test-dir build/windows-tests --output-on-failure
tier "windows exe build" build windows

# A tier script that is missing or not executable is a failed tier, never a
# silently skipped one.
script_tier() {  # script_tier <name> <script> [args...]
    local name="$1" script="$2"
    selected "$name" || return 0
    if [ ! -x "$script" ]; then
        echo "=== $name"
        echo "test: $script is missing or not executable"
        results+=("FAIL $name"); failed=$((failed + 1))
        return
    fi
    shift
    tier "$name" "$@"
}
script_tier "exe offline stitch (wine)" tests/e2e/stitch_e2e.sh build/native/tallyframe build/windows/tallyframe.exe build/e2e/stitch
# Full disk, an output that is one of the frames, hostile frames: both builds alike.
script_tier "exe safe files (wine)" tests/e2e/safe_files_e2e.sh build/native/tallyframe build/windows/tallyframe.exe build/e2e/safe-files
# A frames folder's capture log and settings.ini as FIFOs, devices, huge files, other text.
script_tier "exe hostile files (wine)" tests/e2e/hostile_files_e2e.sh build/native/tallyframe build/windows/tallyframe.exe build/e2e/hostile-files
script_tier "exe self-test (wine)" tests/e2e/self_test.sh build/native/tallyframe build/windows/tallyframe.exe build/e2e/self-test
# The downloads: portable zip, per-user installer (install, upgrade, uninstall)
# and winget manifests, in a Wine prefix of their own.
script_tier "windows downloads (wine)" tests/e2e/package_e2e.sh build/e2e/package
script_tier "gui: windows and pages (wine)" tests/gui/windows_and_pages.sh build/windows/tallyframe.exe \
    build/gui-shots build/windows-tests/tests/ui_tests.exe
script_tier "gui: end-to-end captures (wine)" tests/e2e/capture_e2e.sh
script_tier "gui: clipboard and hotkey (wine)" tests/e2e/daily_use_e2e.sh
script_tier "gui: manual captures (wine)" tests/e2e/manual_capture_e2e.sh
script_tier "gui: pick with one click (wine)" tests/e2e/pick_e2e.sh
script_tier "gui: review and trim (wine)" tests/e2e/review_e2e.sh

echo "=== summary"
printf '%s\n' "${results[@]}"
total=${#results[@]}
echo "tiers: $((total - failed)) passed, $failed failed"
[ "$failed" = 0 ]
