#!/usr/bin/env bash
# Start-to-overlay time of the real program under Wine + Xvfb: the home page
# gets Enter (xdotool) and a small X program watches two screen pixels until
# the selection overlay has dimmed the screen. Prints every run's timeline and
# the median. A measurement, not a test: nothing here passes or fails.
#
#   bench/overlay/start_to_overlay.sh [runs]      (default 5)
# Environment:
#   TF_EXE          the program (default build/windows/tallyframe.exe)
#   TF_COMPOSITOR   1 (default) runs xcompmgr -n, as the capture tests do
#   TF_WINE_PREFIX  Wine prefix (default build/wine/prefix)
#   TF_WINE_LOG     file that gets the program's Wine log (with WINEDEBUG=+timestamp,...)
#   DISPLAY         an X display of your own; one is started when none is usable
set -u
repo="$(cd "$(dirname "$0")/../.." && pwd)"
runs="${1:-5}"
exe="$(realpath -m "${TF_EXE:-$repo/build/windows/tallyframe.exe}")"
[ -f "$exe" ] || { echo "no $exe: build the windows preset first"; exit 1; }
tools="$repo/build/bench-tools"
mkdir -p "$tools"
watch="$tools/screen_watch"
if [ ! -x "$watch" ] || [ "$repo/bench/overlay/screen_watch.c" -nt "$watch" ]; then
    gcc -O2 -Wall -Wextra -o "$watch" "$repo/bench/overlay/screen_watch.c" -lX11 || exit 1
fi

. "$repo/scripts/wine-env.sh"
tf_wine_prefix
tf_xvfb || exit 1
compositor=""
if [ "${TF_COMPOSITOR:-1}" = 1 ] && command -v xcompmgr >/dev/null; then
    xcompmgr -n >/dev/null 2>&1 & compositor=$!
fi
app=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    "$TF_WINESERVER" -k >/dev/null 2>&1
    [ -n "$compositor" ] && kill "$compositor" 2>/dev/null
    tf_xvfb_stop
}
trap cleanup EXIT

settings_dir="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Quorvelle/Tallyframe"
mkdir -p "$settings_dir"
printf '[general]\r\nlanguage=en-US\r\nopenAfterCapture=0\r\n' > "$settings_dir/settings.ini"

times=()
for run in $(seq 1 "$runs"); do
    (cd "$(dirname "$exe")" && "$TF_WINE" "$exe" >/dev/null 2>>"${TF_WINE_LOG:-/dev/null}") &
    app=$!
    main=""
    for _ in $(seq 1 300); do
        main=$(xdotool search --onlyvisible --name '^(Tallyframe|塔利帧)$' 2>/dev/null | head -1)
        [ -n "$main" ] && break
        sleep 0.1
    done
    [ -n "$main" ] || { echo "run $run: no main window"; continue; }
    # Let the program settle, then give the home page the keyboard.
    sleep 2
    for _ in 1 2 3 4 5; do
        main=$(xdotool search --onlyvisible --name '^(Tallyframe|塔利帧)$' | head -1)
        [ -n "$main" ] && xdotool windowfocus "$main" 2>/dev/null && break
        sleep 0.5
    done
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$main")"
    # Point 0: bare desktop far from the main window and the prompt strip;
    # point 1: the middle of the main window (hidden, then overlaid).
    out=$("$watch" --light 6000 150,$((HEIGHT + Y + 300)) $((X + WIDTH / 2)),$((Y + HEIGHT / 2)) -- xdotool key Return)
    echo "run $run:"
    echo "$out" | sed 's/^/  /'
    t=$(echo "$out" | awk '/^dimmed/ {print $2}')
    [ "$t" != none ] && times+=("$t")
    xdotool key Escape
    sleep 0.5
    kill "$app" 2>/dev/null
    "$TF_WINESERVER" -k >/dev/null 2>&1
    wait "$app" 2>/dev/null
    app=""
done
if [ ${#times[@]} -gt 0 ]; then
    median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}')
    echo "start-to-overlay ms: ${times[*]}"
    echo "median: $median ms over ${#times[@]} runs"
fi
