#!/usr/bin/env bash
# What the offline stitch mode writes is whole or absent, and what it reads is
# judged alike by both builds. Runs the native tallyframe and tallyframe.exe
# under Wine through the same cases:
#   - a full disk (a 300 KiB tmpfs, reached by Wine through Z:), with and without
#     an earlier file of the output's name: exit 1, nothing but the log left, the
#     earlier file byte for byte as it was (needs mount, so root; skipped otherwise);
#   - an output that is one of the frames, however it is spelled: refused, frames intact;
#   - frames whose header claims a huge size: refused, with time and peak memory shown;
#   - bad chunk checksums and a JPEG named .png: refused by both;
#   - outputs that are devices, FIFOs, sockets, folders or not writable by the
#     running user: refused, left as they were;
#   - logs that are links to frames, read-only, FIFOs: left alone, the run goes on;
#   - PNG bombs (huge IDAT lengths, deflate bombs with a bad adler32, interlaced
#     data that stops after the first pass, frames past the folder's cap):
#     refused, with time and peak memory shown;
#   - a file-size limit, TERM/INT/HUP during the save, KILL then a later save:
#     no temporary file left, nothing else removed;
#   - every failure says why on stderr; concurrent runs leave one whole log.
# Cases that need root (devices, another user, mounts) say SKIP without it.
#   tests/e2e/safe_files_e2e.sh <native tallyframe> <tallyframe.exe> <work folder>
set -u
native="$1" exe="$2" work="$(realpath -m "$3")"
repo="$(cd "$(dirname "$0")/../.." && pwd)"
. "$repo/scripts/wine-env.sh"
. "$repo/tests/e2e/gui_e2e_lib.sh"
tf_wine_prefix
pass=0 fail=0

small="$work/small"
umount "$small" 2>/dev/null
rm -rf "$work"
mkdir -p "$work"
frames="$repo/tests/data/corpus/debref-ch05/frames"  # its long image is about 560 KB

# The Z: path of an absolute Linux path, spelled exactly as given.
winpath_as_spelled() { printf 'Z:%s' "$(printf '%s' "$1" | sed 's|/|\\|g')"; }

stitch() {  # stitch <native|wine> <frames folder> <output>; a run that hangs counts as failed
    if [ "$1" = native ]; then
        timeout 120 "$native" --stitch "$2" "$3"
    else
        timeout 120 "$TF_WINE" "$exe" --stitch "$(winpath_as_spelled "$2")" "$(winpath_as_spelled "$3")"
    fi
}
is_root=no
[ "$(id -u)" = 0 ] && is_root=yes
# One line on stderr that says why, starting with the program's name.
said_why() { grep -q '^tallyframe: .*[a-z]' "$1"; }

entries() { (cd "$1" && ls -A | tr '\n' ' '); }
only_exception() { [ "$(tr -d '\r' < "$1" | tr '\n' ' ')" = "exception " ]; }

# --- a full disk
mkdir -p "$small"
if mount -t tmpfs -o size=300k tmpfs "$small" 2>/dev/null; then
    trap 'umount "$small" 2>/dev/null' EXIT
    old="$repo/tests/data/png/rgb24.png"
    for build in native wine; do
        find "$small" -mindepth 1 -delete
        stitch "$build" "$frames" "$small/out.png"; check test $? = 1
        check test "$(entries "$small")" = "out.png.log.txt "
        check grep -q $'^exception\r$' "$small/out.png.log.txt"

        find "$small" -mindepth 1 -delete
        cp "$old" "$small/out.png"
        stitch "$build" "$frames" "$small/out.png"; check test $? = 1
        check test "$(entries "$small")" = "out.png out.png.log.txt "
        check cmp -s "$old" "$small/out.png"
        echo "disk full ($build): exit 1, left: $(entries "$small")"
    done
    umount "$small"
    trap - EXIT
else
    echo "SKIP: the full-disk cases need to mount a tmpfs (run as root)"
fi

# --- a good run leaves the image and its log, nothing else
mkdir -p "$work/good"
for build in native wine; do
    stitch "$build" "$frames" "$work/good/$build.png"; check test $? = 0
done
check test "$(entries "$work/good")" = "native.png native.png.log.txt wine.png wine.png.log.txt "

# --- the output is one of the frames
copy="$work/frames-copy"
cp -r "$frames" "$copy"
mkdir -p "$copy/sub"
before="$(cd "$copy" && sha256sum ./*.png)"
listing="$(entries "$copy")"
spellings=("$copy/0002.png" "$copy/./0002.png" "$copy/sub/../0002.png" "$work/./frames-copy/../frames-copy/0002.png")
for build in native wine; do
    cases=("${spellings[@]}")
    # Windows file names ignore case.
    [ "$build" = wine ] && cases+=("$work/FRAMES-COPY/0002.PNG")
    for out in "${cases[@]}"; do
        stitch "$build" "$copy" "$out"; check test $? = 1
        log="$(realpath -m "$out").log.txt"
        [ "$build" = wine ] && log="$copy/$(basename "$out").log.txt"
        check only_exception "$log"
        rm -f "$log"
        check test "$(cd "$copy" && sha256sum ./*.png)" = "$before"
        check test "$(entries "$copy")" = "$listing"
    done
done

# --- frames whose header claims a size that cannot be real
python3 - "$work/hostile" <<'PY'
import os, struct, sys, zlib
def chunk(t, b): return struct.pack('>I', len(b)) + t + b + struct.pack('>I', zlib.crc32(t + b) & 0xffffffff)
def png(w, h, rows=0):
    raw = b''.join(b'\0' + b'\x80' * (w * 4) for _ in range(rows))
    data = chunk(b'IDAT', zlib.compress(raw)) if rows else b''
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0)) + data + chunk(b'IEND', b'')
cases = {
    '32767x32767': png(32767, 32767),
    '2147483647x1': png(2147483647, 1),
    '20000x20000': png(20000, 20000),
    '32767x32767-two-rows': png(32767, 32767, 2),
    '20000x20000-three-rows': png(20000, 20000, 3),
}
for name, data in cases.items():
    os.makedirs(os.path.join(sys.argv[1], name), exist_ok=True)
    open(os.path.join(sys.argv[1], name, '0000.png'), 'wb').write(data)
PY
for dir in "$work"/hostile/*/; do
    name="$(basename "$dir")"
    for build in native wine; do
        stats="$work/hostile/$name-$build.time"
        if [ "$build" = native ]; then
            /usr/bin/time -v -o "$stats" "$native" --stitch "$dir" "$work/hostile/$name-$build.png"; rc=$?
        else
            /usr/bin/time -v -o "$stats" "$TF_WINE" "$exe" --stitch "$(tf_winpath "$dir")" \
                "$(tf_winpath "$work/hostile/$name-$build.png")"; rc=$?
        fi
        check test "$rc" = 1
        check test ! -e "$work/hostile/$name-$build.png"
        rss_kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$stats")
        elapsed=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$stats")
        echo "hostile $name ($build): exit $rc, $elapsed wall, peak RSS $((rss_kb / 1024)) MB"
        # Well under 100 MB: far less than the size claimed (4 GiB for 32767 x 32767).
        check test "$rss_kb" -lt 102400
    done
done

# --- bad checksums and another format: refused alike
bad="$work/bad"
python3 - "$frames/0000.png" "$bad" <<'PY'
import os, sys
good = open(sys.argv[1], 'rb').read()
for name, pos in (('idat-crc', len(good) - 13), ('iend-crc', len(good) - 1)):
    os.makedirs(os.path.join(sys.argv[2], name), exist_ok=True)
    data = bytearray(good)
    data[pos] ^= 0x20
    open(os.path.join(sys.argv[2], name, '0001.png'), 'wb').write(bytes(data))
    open(os.path.join(sys.argv[2], name, '0000.png'), 'wb').write(good)
PY
mkdir -p "$bad/jpeg"
cp "$frames/0000.png" "$bad/jpeg/0000.png"
cp "$repo/tests/data/png/jpeg-renamed.png" "$bad/jpeg/0001.png"
for dir in "$bad"/*/; do
    name="$(basename "$dir")"
    for build in native wine; do
        out="$bad/$name-$build.png"
        stitch "$build" "${dir%/}" "$out"; check test $? = 1
        check only_exception "$out.log.txt"
        check test ! -e "$out"
    done
done

# --- outputs that are not ours to replace
special="$work/special"
mkdir -p "$special"
for build in native wine; do
    d="$special/$build"
    mkdir -p "$d"
    mkfifo "$d/fifo.png"
    python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' "$d/socket.png"
    mkdir "$d/folder.png"
    kinds="fifo:-p socket:-S folder:-d"
    if [ "$is_root" = yes ]; then mknod "$d/node.png" c 1 3; kinds="$kinds node:-c"; fi
    for kind in $kinds; do
        name="${kind%%:*}.png" type="${kind##*:}"
        stitch "$build" "$frames" "$d/$name" 2>"$d/$name.err"; rc=$?
        check test "$rc" = 1
        check test "$type" "$d/$name"
        check said_why "$d/$name.err"
        echo "special output $name ($build): exit $rc, now $(stat -c %F "$d/$name"): $(head -1 "$d/$name.err")"
    done
    check test -z "$(ls -A "$d/folder.png")"
done
[ "$is_root" = yes ] || echo "SKIP: a character device as output needs root (mknod)"
if [ "$is_root" = yes ] && unshare -m true 2>/dev/null; then
    # /dev/null and /dev/full themselves, in a mount namespace of their own.
    result="$(unshare -m sh -c 'mount -t tmpfs tmpfs /dev && mknod -m 666 /dev/null c 1 3 &&
        mknod -m 666 /dev/full c 1 7 && mknod -m 666 /dev/urandom c 1 9 &&
        "$0" --stitch "$1" /dev/null 2>/dev/full; printf "null=%s " $?;
        "$0" --stitch "$1" /dev/full 2>/dev/null; printf "full=%s " $?;
        test -c /dev/null && test -c /dev/full && printf intact' "$native" "$frames")"
    check test "$result" = "null=1 full=1 intact"
    echo "/dev/null and /dev/full as output (native, private mounts): $result"
else
    echo "SKIP: /dev/null and /dev/full as output need root and unshare"
fi

# --- a file the running user may not write
unwritable="$work/unwritable"
mkdir -p "$unwritable"
cp "$repo/tests/data/png/rgb24.png" "$unwritable/readonly.png"
chmod 444 "$unwritable/readonly.png"
for build in native wine; do
    stitch "$build" "$frames" "$unwritable/readonly.png" 2>"$unwritable/$build.err"; check test $? = 1
    check cmp -s "$repo/tests/data/png/rgb24.png" "$unwritable/readonly.png"
    check said_why "$unwritable/$build.err"
done
if [ "$is_root" = yes ] && { id tfother >/dev/null 2>&1 || useradd -M -r -s /usr/sbin/nologin tfother; }; then
    # World-writable folder, a file of root's (0644): another user must not replace it.
    shared="$work/shared-folder"
    mkdir -p "$shared"
    chmod 777 "$shared"
    cp "$repo/tests/data/png/rgb24.png" "$shared/roots.png"
    chmod 644 "$shared/roots.png"
    setpriv --reuid=tfother --regid=tfother --clear-groups "$native" --stitch "$frames" "$shared/roots.png" \
        2>"$shared/err"; rc=$?
    check test "$rc" = 1
    check cmp -s "$repo/tests/data/png/rgb24.png" "$shared/roots.png"
    check said_why "$shared/err"
    check test -z "$(find "$shared" -name '.tallyframe-*')"
    echo "another user's output (native): exit $rc, file now $(stat -c '%U %a' "$shared/roots.png"): $(cat "$shared/err")"
    # Without permission to create anything there, the run says so.
    mkdir -p "$work/closed"
    chmod 755 "$work/closed"
    setpriv --reuid=tfother --regid=tfother --clear-groups "$native" --stitch "$frames" "$work/closed/out.png" \
        2>"$work/closed.err"; check test $? = 1
    check said_why "$work/closed.err"
    check test -z "$(ls -A "$work/closed")"
else
    echo "SKIP: the other-user cases need root (useradd, setpriv); Wine runs as one user only"
fi

# --- logs that must not be written through or over
logs="$work/logs"
mkdir -p "$logs"
cp -r "$frames" "$logs/frames"
frame_sums="$(cd "$logs/frames" && sha256sum ./*.png)"
for build in native wine; do
    ln -s "$logs/frames/0003.png" "$logs/link-$build.png.log.txt"
    stitch "$build" "$logs/frames" "$logs/link-$build.png" 2>"$logs/link-$build.err"; check test $? = 0
    check test "$(cd "$logs/frames" && sha256sum ./*.png)" = "$frame_sums"
    printf 'old log\r\n' > "$logs/readonly-$build.png.log.txt"
    chmod 444 "$logs/readonly-$build.png.log.txt"
    stitch "$build" "$logs/frames" "$logs/readonly-$build.png" 2>/dev/null; check test $? = 0
    check test "$(cat "$logs/readonly-$build.png.log.txt")" = $'old log\r'
    mkfifo "$logs/fifo-$build.png.log.txt"
    stitch "$build" "$logs/frames" "$logs/fifo-$build.png" 2>/dev/null; check test $? = 0
    check test -p "$logs/fifo-$build.png.log.txt"
done
# Natively the link stays a link and the run says why the log is missing.
check test -L "$logs/link-native.png.log.txt"
check said_why "$logs/link-native.err"
ln "$logs/frames/0005.png" "$logs/hardlink.png.log.txt"
stitch native "$logs/frames" "$logs/hardlink.png" 2>/dev/null; check test $? = 0
check test "$(cd "$logs/frames" && sha256sum ./*.png)" = "$frame_sums"
echo "logs: a link to a frame, a read-only log, a FIFO and a hard link to a frame are left alone"

# --- PNG bombs: cheap to refuse
python3 - "$work/bombs" <<'PY'
import os, struct, sys, zlib
root = sys.argv[1]
def chunk(t, b, crc=None):
    c = zlib.crc32(t + b) & 0xffffffff if crc is None else crc
    return struct.pack('>I', len(b)) + t + b + struct.pack('>I', c)
def ihdr(w, h, interlace=0):
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, interlace))
def frame(name, data):
    os.makedirs(os.path.join(root, name), exist_ok=True)
    return open(os.path.join(root, name, '0000.png'), 'wb')
def sparse_idat(f, length, count=1, valid_crc=False):
    crc = 0
    if valid_crc:
        crc = zlib.crc32(b'IDAT')
        block = bytes(1 << 24)
        for _ in range(length >> 24): crc = zlib.crc32(block, crc)
        crc = zlib.crc32(bytes(length & ((1 << 24) - 1)), crc)
    for _ in range(count):
        f.write(struct.pack('>I', length) + b'IDAT')
        f.seek(length, 1)
        f.write(struct.pack('>I', crc if valid_crc else 0))
def zeros_stream(n, good_adler):
    c = zlib.compressobj(9)
    out = [c.compress(bytes(1 << 20)) for _ in range(n >> 20)]
    out.append(c.compress(bytes(n & ((1 << 20) - 1))))
    out.append(c.flush())
    s = b''.join(out)
    return s if good_adler else s[:-1] + bytes([s[-1] ^ 1])
iend = chunk(b'IEND', b'')
with frame('idat-2gib-bad-crc', 0) as f:
    f.write(ihdr(1, 1)); sparse_idat(f, 0x7fffffff); f.write(iend)
with frame('three-idat-700mb-valid-crc', 0) as f:
    f.write(ihdr(1, 1)); sparse_idat(f, 700 << 20, 3, True); f.write(iend)
for side in (11000, 16384):
    rows = side * (1 + side * 4)
    with frame(f'bomb-{side}-bad-adler', 0) as f:
        f.write(ihdr(side, side) + chunk(b'IDAT', zeros_stream(rows, False)) + iend)
    first_pass = ((side + 7) // 8) * (1 + (side + 7) // 8 * 4)
    with frame(f'interlaced-{side}-first-pass-only', 0) as f:
        f.write(ihdr(side, side, 1) + chunk(b'IDAT', zeros_stream(first_pass, True)) + iend)
with frame('bomb-32768x32767-bad-adler', 0) as f:
    f.write(ihdr(32768, 32767) + chunk(b'IDAT', zeros_stream(64 << 20, False)) + iend)
# Nine frames of 11000 x 11000 declare 4.1 GiB decoded: past the folder's cap.
os.makedirs(os.path.join(root, 'nine-11000-frames'), exist_ok=True)
for i in range(9):
    open(os.path.join(root, 'nine-11000-frames', '%04d.png' % i), 'wb').write(ihdr(11000, 11000) + iend)
PY
for dir in "$work"/bombs/*/; do
    name="$(basename "$dir")"
    for build in native wine; do
        stats="$work/bombs/$name-$build.time"
        out="$work/bombs/$name-$build.png"
        if [ "$build" = native ]; then
            /usr/bin/time -v -o "$stats" timeout 300 "$native" --stitch "$dir" "$out" 2>"$out.err"; rc=$?
        else
            /usr/bin/time -v -o "$stats" timeout 300 "$TF_WINE" "$exe" --stitch "$(tf_winpath "$dir")" \
                "$(tf_winpath "$out")" 2>"$out.err"; rc=$?
        fi
        check test "$rc" = 1
        check test ! -e "$out"
        check said_why "$out.err"
        rss_kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$stats")
        elapsed=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$stats")
        echo "bomb $name ($build): exit $rc, $elapsed wall, peak RSS $((rss_kb / 1024)) MB: $(head -1 "$out.err")"
        check test "$rss_kb" -lt 102400
    done
done
check grep -q 'more than the 4096 MiB' "$work/bombs/nine-11000-frames-native.png.err"

# --- a file-size limit: the write fails and is reported, nothing is left
fsize="$work/fsize"
mkdir -p "$fsize"
prlimit --fsize=102400 "$native" --stitch "$frames" "$fsize/out.png" 2>"$fsize/err"; rc=$?
check test "$rc" = 1
check test "$(entries "$fsize")" = "err out.png.log.txt "
check grep -q $'^exception\r$' "$fsize/out.png.log.txt"
check said_why "$fsize/err"
echo "file-size limit (native): exit $rc, left: $(entries "$fsize"): $(cat "$fsize/err")"

# --- termination during the save removes the temporary file
python3 - "$work/tall-frames" <<'PY'
# 60 frames of a tall page with varied lines of text-like marks: long enough
# to encode that a signal can arrive while the output is being written.
import os, random, struct, sys, zlib
root = sys.argv[1]; os.makedirs(root, exist_ok=True)
w, step, fh = 1000, 180, 700
rng = random.Random(7)
page_h = step * 59 + fh
rows = []
for y in range(page_h):
    if y % 24 < 14:
        row = bytearray(b'\xff' * (w * 4))
        for x0 in range(rng.randrange(0, 40), w - 40, rng.randrange(30, 90)):
            k = rng.randrange(8, 28)
            row[x0 * 4:(x0 + k) * 4] = bytes([rng.randrange(0, 90)] * 3 + [255]) * k
        rows.append(bytes(row))
    else:
        rows.append(b'\xff' * (w * 4))
def png(rs):
    raw = b''.join(b'\0' + r for r in rs)
    def chunk(t, b): return struct.pack('>I', len(b)) + t + b + struct.pack('>I', zlib.crc32(t + b) & 0xffffffff)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, len(rs), 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 1)) + chunk(b'IEND', b''))
for i in range(60):
    open(os.path.join(root, '%04d.png' % i), 'wb').write(png(rows[i * step:i * step + fh]))
PY
term="$work/term"
for sig in TERM INT HUP KILL; do
    # On a loaded machine the save can end between seeing its temporary and
    # the signal: a run that exits 0 with its image was not hit during the
    # save, and is tried again. One that never dies by the signal fails.
    for attempt in 1 2 3; do
        rm -rf "$term/$sig"; mkdir -p "$term/$sig"
        # A background job starts with INT ignored, and under nohup HUP too;
        # the program rightly keeps a signal its parent ignores, so give it
        # the default ones a terminal would.
        env --default-signal=INT,HUP,TERM "$native" --stitch "$work/tall-frames" "$term/$sig/out.png" 2>/dev/null &
        pid=$!
        for _ in $(seq 1 3000); do
            [ -n "$(find "$term/$sig" -name '.tallyframe-*.tmp' 2>/dev/null)" ] && break
            sleep 0.01
        done
        caught="$(find "$term/$sig" -name '.tallyframe-*.tmp' | wc -l)"
        kill -s "$sig" "$pid"
        wait "$pid"; rc=$?
        left="$(entries "$term/$sig")"
        [ "$rc" = 0 ] && [ "$left" = "out.png out.png.log.txt " ] || break
        echo "$sig came after the save had ended (attempt $attempt); again"
    done
    echo "$sig during the save (native): temporary seen: $caught, exit $rc, left: ${left:-nothing}"
    check test "$caught" = 1
    check test "$rc" -gt 128
    if [ "$sig" = KILL ]; then
        check test -n "$(find "$term/$sig" -name '.tallyframe-*.tmp')"
    else
        check test -z "$left"
    fi
done
# A later save into that folder removes the killed run's file, and nothing else:
# not a live writer's (it holds the lock), not another user's, not other names.
killed="$term/KILL"
stale="$(find "$killed" -maxdepth 1 -type f -name '.tallyframe-*.tmp' | head -1)"
check test -n "$stale"
touch "$killed/.tallyframe-notours.tmp" "$killed/.tallyframe-0123456789abcdef.tmp.bak"
mkdir "$killed/.tallyframe-00000000000000aa.tmp"
touch "$killed/.tallyframe-00000000000000bb.tmp"
flock -x "$killed/.tallyframe-00000000000000bb.tmp" sleep 60 &
holder=$!
sleep 0.2
if [ "$is_root" = yes ] && id tfother >/dev/null 2>&1; then
    touch "$killed/.tallyframe-00000000000000cc.tmp"
    chown tfother "$killed/.tallyframe-00000000000000cc.tmp"
fi
stitch native "$frames" "$killed/later.png" 2>/dev/null; check test $? = 0
check test ! -e "$stale"
for kept in .tallyframe-notours.tmp .tallyframe-0123456789abcdef.tmp.bak .tallyframe-00000000000000aa.tmp \
    .tallyframe-00000000000000bb.tmp; do
    check test -e "$killed/$kept"
done
[ -e "$killed/.tallyframe-00000000000000cc.tmp" ] || [ "$is_root" = no ] || check false
kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null
rm -rf "$killed"/.tallyframe-*
echo "later save: the killed run's temporary removed; a held one, another user's and other names kept"
# Under Wine: a stale temporary (written to over a minute ago) goes, a fresh one stays.
wstale="$work/wine-stale"
mkdir -p "$wstale"
touch -d '-5 minutes' "$wstale/.tallyframe-00000000000000dd.tmp"
touch "$wstale/.tallyframe-00000000000000ee.tmp"
stitch wine "$frames" "$wstale/later.png" 2>/dev/null; check test $? = 0
check test ! -e "$wstale/.tallyframe-00000000000000dd.tmp"
check test -e "$wstale/.tallyframe-00000000000000ee.tmp"
rm -f "$wstale"/.tallyframe-*

# --- every failure says why, also when the log cannot be written either
silent="$work/silent"
mkdir -p "$silent"
touch "$silent/afile"
long="$(printf 'n%.0s' $(seq 1 260))"
for build in native wine; do
    for out in "$silent/missing/sub/out.png" "$silent/afile/out.png" "$silent/$long.png"; do
        stitch "$build" "$frames" "$out" 2>"$silent/err"; rc=$?
        check test "$rc" = 1
        check said_why "$silent/err"
        check test "$(wc -l < "$silent/err")" -ge 1
    done
    echo "silent failures ($build): each exit 1 with a reason, e.g. $(head -1 "$silent/err" | cut -c1-160)"
done
check test "$(entries "$silent")" = "afile err "

# --- concurrent runs on one output leave one run's whole log
concurrent="$work/concurrent"
mkdir -p "$concurrent/few"
cp "$frames"/000[0-4].png "$concurrent/few/"
stitch native "$concurrent/few" "$concurrent/few.png" 2>/dev/null
stitch native "$frames" "$concurrent/all.png" 2>/dev/null
for round in 1 2 3 4 5 6; do
    "$native" --stitch "$concurrent/few" "$concurrent/out.png" 2>/dev/null &
    a=$!
    "$native" --stitch "$frames" "$concurrent/out.png" 2>/dev/null &
    b=$!
    wait "$a" "$b"
    if cmp -s "$concurrent/out.png.log.txt" "$concurrent/few.png.log.txt" ||
        cmp -s "$concurrent/out.png.log.txt" "$concurrent/all.png.log.txt"; then
        check true
    else
        check false
        od -c "$concurrent/out.png.log.txt" | head -5
    fi
done
echo "concurrent runs (native): every log was one run's whole log"

leftovers="$(find "$work" -name '.tallyframe-*' | head -5)"
check test -z "$leftovers"

echo "safe-files-e2e: $pass passed, $fail failed"
[ "$fail" = 0 ]
