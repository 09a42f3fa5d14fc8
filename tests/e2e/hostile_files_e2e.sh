#!/usr/bin/env bash
# What a person hands the program cannot hang it, fill the memory or be
# written over. Runs the native tallyframe and tallyframe.exe under Wine:
#   - a capture.log.txt in the frames folder that is a FIFO, a link to
#     /dev/zero, a 3 GB sparse file, a folder, a link to one, a socket, text or
#     bytes that are no capture log, UTF-16, one endless line: ignored with one
#     line on stderr, the stitch goes on with the --direction given, the same
#     image as without a log; a header with two directions is refused;
#   - an output (or its log) that would land on the capture log: refused,
#     nothing read or written;
#   - failures say their cause in one line: the pair that does not join, a
#     frame of another size (an earlier output), a missing folder, a name too
#     long, a file name with a line break (escaped); ".PNG" frames are frames;
#   - settings.ini (exe, portable copy) that is a FIFO, a 2 GB sparse file, a
#     folder or a link to /dev/zero: the window and the notice appear, the
#     program takes no more memory than with a sound file (the window itself
#     takes some 300 MB under Wine), the thing is left as it was.
# Every run is stopped after 20 s (counted as a failure) and shows its time
# and peak memory; the peak must stay under 100 MB.
#   tests/e2e/hostile_files_e2e.sh <native tallyframe> <tallyframe.exe> <work folder>
set -u
native="$1" exe="$(realpath -m "$2")" work="$(realpath -m "$3")"
repo="$(cd "$(dirname "$0")/../.." && pwd)"
. "$repo/scripts/wine-env.sh"
tf_wine_prefix
. "$repo/tests/e2e/gui_e2e_lib.sh"
pass=0 fail=0

rm -rf "$work"
mkdir -p "$work"
# Three frames of a real page: small enough that a whole stitch stays far
# below the memory bound, even natively under the sanitizers.
down="$work/down-frames"
mkdir -p "$down"
cp "$repo"/tests/data/corpus/debref-ch05/frames/000[0-2].png "$down/"
sideways="$repo/tests/data/sideways/debref-ch02-long-code/frames"
is_root=no
[ "$(id -u)" = 0 ] && is_root=yes
winpath_as_spelled() { printf 'Z:%s' "$(printf '%s' "$1" | sed 's|/|\\|g')"; }

# run <name> <native|wine> <frames> <output> [args...]: sets rc and err (the
# stderr file, CR removed), prints one line with time and peak memory.
run() {
    local name="$1" build="$2" dir="$3" out="$4"
    shift 4
    local stats="$work/$name-$build.time"
    err="$work/$name-$build.err"
    if [ "$build" = native ]; then
        /usr/bin/time -v -o "$stats" timeout -k 5 20 "$native" --stitch "$dir" "$out" "$@" 2>"$err.raw"
    else
        /usr/bin/time -v -o "$stats" timeout -k 5 20 "$TF_WINE" "$exe" --stitch "$(winpath_as_spelled "$dir")" \
            "$(winpath_as_spelled "$out")" "$@" 2>"$err.raw"
    fi
    rc=$?
    tr -d '\r' < "$err.raw" > "$err"
    local rss_kb elapsed
    rss_kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$stats")
    elapsed=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$stats")
    echo "$name ($build): exit $rc, $elapsed wall, peak RSS $((rss_kb / 1024)) MB: $(head -1 "$err" | cut -c1-200)"
    check test "$rc" != 124
    check test "$rss_kb" -lt 102400
}
told_lines() { grep -c '^tallyframe: ' "$err"; }
said() { grep -q -- "$1" "$err"; }

folder_of() {  # folder_of <name> <source frames>: a fresh copy
    local d="$work/$1"
    rm -rf "$d"
    mkdir -p "$d"
    cp "$2"/*.png "$d/"
    printf '%s' "$d"
}

# --- what stands in the capture log's place
make_log() {  # make_log <kind> <path>
    case "$1" in
        fifo) mkfifo "$2" ;;
        devzero) ln -s /dev/zero "$2" ;;
        sparse-3g) truncate -s 3G "$2" ;;
        folder) mkdir "$2" ;;
        folder-link) ln -s / "$2" ;;
        socket) python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' "$2" ;;
        hello) printf 'hello world\n' > "$2" ;;
        random) head -c 4096 /dev/urandom > "$2" ;;
        utf16) { printf '\xff\xfe'; printf 'wheelScrollLines=3 direction=right\r\n' | iconv -t UTF-16LE; } > "$2" ;;
        endless-line) head -c 2000000 /dev/zero | tr '\0' 'w' > "$2" ;;
    esac
}
for build in native wine; do
    reference="$work/reference-$build.png"
    run reference "$build" "$sideways" "$reference" --direction right
    check test "$rc" = 0
    for kind in fifo devzero sparse-3g folder folder-link socket hello random utf16 endless-line; do
        d="$(folder_of "log-$kind-$build" "$sideways")"
        make_log "$kind" "$d/capture.log.txt"
        before="$(stat -c '%F %s' "$d/capture.log.txt")"
        run "log-$kind" "$build" "$d" "$work/log-$kind-$build.png" --direction right
        check test "$rc" = 0
        check test "$(told_lines)" = 1
        check said 'capture log .* is ignored: it '
        check cmp -s "$reference" "$work/log-$kind-$build.png"
        check test "$(stat -c '%F %s' "$d/capture.log.txt")" = "$before"
    done
    d="$(folder_of "log-twice-$build" "$sideways")"
    printf 'wheelScrollLines=3 wheelDelta=-120 direction=down direction=right\r\n' > "$d/capture.log.txt"
    run log-two-directions "$build" "$d" "$work/log-twice-$build.png"
    check test "$rc" = 1
    check said 'records two directions in its header, down and right'
    d="$(folder_of "log-bom-$build" "$sideways")"
    printf '\xef\xbb\xbfwheelScrollLines=3 wheelDelta=-120 scrollMethod=hwheel direction=right\r\n' > "$d/capture.log.txt"
    run log-utf8-bom "$build" "$d" "$work/log-bom-$build.png"
    check test "$rc" = 0
    check test ! -s "$err"
    check cmp -s "$reference" "$work/log-bom-$build.png"
done

# --- the capture log is never an output, nor an output's log
for build in native wine; do
    d="$(folder_of "own-$build" "$sideways")"
    printf 'wheelScrollLines=3 wheelDelta=-120 scrollMethod=hwheel direction=right\r\n' > "$d/capture.log.txt"
    cp "$d/capture.log.txt" "$work/own-$build.orig"
    listing="$(ls -A "$d")"
    outputs=("$d/capture.log.txt" "$d/capture")
    # Windows names ignore case.
    [ "$build" = wine ] && outputs+=("$d/CAPTURE.LOG.TXT")
    for out in "${outputs[@]}"; do
        run "own-$(basename "$out")" "$build" "$d" "$out"
        check test "$rc" = 1
        check said "^tallyframe: --stitch refused: .* would replace the frames folder's capture log"
        check cmp -s "$work/own-$build.orig" "$d/capture.log.txt"
        check test "$(ls -A "$d")" = "$listing"
    done
done

# --- every failure says its cause in one line
for build in native wine; do
    d="$(folder_of "wrong-direction-$build" "$down")"
    run wrong-direction "$build" "$d" "$work/wrong-$build.png" --direction right
    check test "$rc" = 1
    check said 'the frames 0000.png and 0001.png do not join right: '
    check said 'every pair is in .*wrong-'"$build"'.png.log.txt'

    d="$(folder_of "sizes-$build" "$sideways")"
    convert "$d/0000.png" -crop 50%x100%+0+0 +repage png32:"$d/0000.png"
    run sizes-differ "$build" "$d" "$work/sizes-$build.png" --direction right
    check test "$rc" = 1
    check said 'the frame .*0001.png is .*, but .*0000.png is .* frames of one capture have one size, so nothing was stitched'
    check test ! -e "$work/sizes-$build.png"

    d="$(folder_of "earlier-$build" "$down")"
    run earlier-output-made "$build" "$d" "$d/long.png"
    check test "$rc" = 0
    run earlier-output-left "$build" "$d" "$work/again-$build.png"
    check test "$rc" = 1
    check said 'looks like an earlier output: long.png.log.txt is beside it'

    d="$(folder_of "upper-$build" "$down")"
    mv "$d/0002.png" "$d/0002.PNG"
    run upper-case-png "$build" "$d" "$work/upper-$build.png"
    check test "$rc" = 0
    check grep -q "^frames=$(ls "$down" | wc -l)"$'\r$' "$work/upper-$build.png.log.txt"

    run folder-missing "$build" "$down" "$work/no/such/out.png"
    check test "$rc" = 1
    check said 'the folder .*such does not exist'
    run name-too-long "$build" "$down" "$work/$(printf 'n%.0s' $(seq 1 300)).png"
    check test "$rc" = 1
    check said 'too long'
done
# Linux only: a line break in a file name must not forge a line of its own.
d="$(folder_of newline "$down")"
printf 'x' > "$d/0002.png"$'\n''tallyframe: forged.png'
run name-with-line-break native "$d" "$work/newline.png"
check test "$rc" = 1
check test "$(wc -l < "$err")" = 1
check said '0002.png\\ntallyframe: forged.png'
if [ "$is_root" = yes ] && { id tfother >/dev/null 2>&1 || useradd -M -r -s /usr/sbin/nologin tfother; }; then
    shared="$work/other-user"
    d="$(folder_of other-user "$down")"
    chmod 755 "$work" "$d"
    chmod 000 "$d/0001.png"
    setpriv --reuid=tfother --regid=tfother --clear-groups "$native" --stitch "$d" "/tmp/tf-hostile-$$.png" \
        2>"$work/unreadable.err"
    check test $? = 1
    check grep -q 'png decoder failed: it cannot be read: permission denied' "$work/unreadable.err"
    echo "unreadable frame (native, another user): $(head -1 "$work/unreadable.err")"
    rm -f "/tmp/tf-hostile-$$.png"*
else
    echo "SKIP: the unreadable frame needs root (useradd, setpriv)"
fi

# --- a usage error exits with 1 on both builds
"$native" --stitch "$down" "$work/usage.png" --direction 2>"$work/usage.err"
check test $? = 1
check grep -q '^usage: tallyframe --stitch' "$work/usage.err"
"$TF_WINE" "$exe" --stitch "$(tf_winpath "$down")" "$(tf_winpath "$work/usage.png")" --direction RIGHT 2>/dev/null
check test $? = 1
check test ! -e "$work/usage.png.log.txt"

# --- settings.ini: a portable copy of the exe keeps it beside itself
started_x=0
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then tf_xvfb || exit 1; started_x=1; fi
portable="$work/portable"
mkdir -p "$portable"
cp "$exe" "$portable/tallyframe.exe"
touch "$portable/portable"
settings="$portable/settings.ini"
# start_until_notice <title>: starts the portable copy, waits for a window of
# that title; sets seen, ms and peak_kb (the program's own peak, in kB).
start_until_window() {
    local start pid
    start=$(date +%s%N)
    "$TF_WINE" "$portable/tallyframe.exe" &
    pid=$!
    seen=""
    for _ in $(seq 1 300); do
        seen="$(xdotool search --name "$1" 2>/dev/null | head -1)"
        [ -n "$seen" ] && break
        sleep 0.1
    done
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    sleep 1
    peak_kb=$(sed -n 's/^VmHWM:[ \t]*\([0-9]*\) kB/\1/p' "/proc/$pid/status" 2>/dev/null)
    # Only this program: other Wine programs of the prefix may be running.
    kill "$pid" 2>/dev/null
    for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}
# What the window costs with a sound settings file (Direct2D and the software
# renderer take most of it): the odd files must not add to it.
printf '[general]\r\nlanguage=zh-CN\r\n' > "$settings"
# The first start of a prefix's session is far slower; the second is the measure.
start_until_window '^塔利帧$'
start_until_window '^塔利帧$'
check test -n "$seen"
baseline_kb="${peak_kb:-0}"
echo "settings.ini sound (wine): window after ${ms} ms, peak RSS $((baseline_kb / 1024)) MB"
for kind in fifo sparse-2g folder devzero; do
    rm -rf "$settings"
    case "$kind" in
        fifo) mkfifo "$settings" ;;
        sparse-2g) truncate -s 2G "$settings" ;;
        folder) mkdir "$settings" ;;
        devzero) ln -s /dev/zero "$settings" ;;
    esac
    before="$(stat -c '%F %s' "$settings")"
    # The notice is titled as the settings warnings are, in the default language.
    start_until_window '^塔利帧设置$'
    echo "settings.ini $kind (wine): notice after ${ms} ms, peak RSS $(( ${peak_kb:-0} / 1024 )) MB"
    check test -n "$seen"
    check test -n "$peak_kb"
    # Read whole, the 2 GB file alone would add 2 GB; the notice box adds its own drawing.
    check test "${peak_kb:-999999}" -lt $((baseline_kb + 204800))
    check test "$(stat -c '%F %s' "$settings")" = "$before"
done
rm -rf "$settings"
if [ "$started_x" = 1 ]; then tf_xvfb_stop; fi

echo "hostile-files-e2e: $pass passed, $fail failed"
[ "$fail" = 0 ]
