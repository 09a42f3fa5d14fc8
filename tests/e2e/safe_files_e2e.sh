#!/usr/bin/env bash
# What the offline stitch mode writes is whole or absent, and what it reads is
# judged alike by both builds. Runs the native tallyframe and tallyframe.exe
# under Wine through the same cases:
#   - a full disk (a 300 KiB tmpfs, reached by Wine through Z:), with and without
#     an earlier file of the output's name: exit 1, nothing but the log left, the
#     earlier file byte for byte as it was (needs mount, so root; skipped otherwise);
#   - an output that is one of the frames, however it is spelled: refused, frames intact;
#   - frames whose header claims a huge size: refused, with time and peak memory shown;
#   - bad chunk checksums and a JPEG named .png: refused by both.
#   tests/e2e/safe_files_e2e.sh <native tallyframe> <tallyframe.exe> <work folder>
set -u
native="$1" exe="$2" work="$(realpath -m "$3")"
repo="$(cd "$(dirname "$0")/../.." && pwd)"
. "$repo/scripts/wine-env.sh"
tf_wine_prefix
pass=0 fail=0
check() { if "$@"; then pass=$((pass + 1)); else fail=$((fail + 1)); echo "FAIL: $*"; fi; }

small="$work/small"
umount "$small" 2>/dev/null
rm -rf "$work"
mkdir -p "$work"
frames="$repo/tests/data/corpus/debref-ch05/frames"  # its long image is about 560 KB

# The Z: path of an absolute Linux path, spelled exactly as given.
winpath_as_spelled() { printf 'Z:%s' "$(printf '%s' "$1" | sed 's|/|\\|g')"; }

stitch() {  # stitch <native|wine> <frames folder> <output>
    if [ "$1" = native ]; then
        "$native" --stitch "$2" "$3"
    else
        "$TF_WINE" "$exe" --stitch "$(winpath_as_spelled "$2")" "$(winpath_as_spelled "$3")"
    fi
}

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

leftovers="$(find "$work" -name '.tallyframe-*' | head -5)"
check test -z "$leftovers"

echo "safe-files-e2e: $pass passed, $fail failed"
[ "$fail" = 0 ]
