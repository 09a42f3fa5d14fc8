#!/usr/bin/env bash
# Makes the Windows downloads in dist/ (or $TF_DIST):
#   Tallyframe-<version>-portable.zip  the exe, README.txt, THIRD-PARTY-NOTICES.txt
#                                      and the marker file "portable"
#   Tallyframe-<version>-setup.exe     the per-user installer (NSIS)
#   winget/                            the manifest set for that installer,
#                                      checked against the winget schemas
# The version is the project's, from CMake. Builds tallyframe.exe (the
# windows preset) first; installs what it needs through bootstrap.sh.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"
"$repo/scripts/bootstrap.sh"
jobs="${TF_JOBS:-2}"
dist="$(realpath -m "${TF_DIST:-$repo/dist}")"
build="$repo/build/windows"

echo "package: building tallyframe.exe ($build)"
cmake --preset windows >/dev/null
cmake --build "$build" -j"$jobs" >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "package: no x.y.z version in $build/CMakeCache.txt" >&2; exit 1; }

stage="$repo/build/package/stage"
rm -rf "$stage"
mkdir -p "$stage" "$dist"
cp "$build/tallyframe.exe" "$stage/"
# Windows readers: CR LF line ends.
crlf() { sed 's/\r$//; s/$/\r/' "$@"; }
sed "s/@VERSION@/$version/" packaging/windows/README.txt | crlf > "$stage/README.txt"

# The exe is linked statically with the GCC runtime (libstdc++, libgcc), the
# mingw-w64 runtime and winpthreads; their licences come from the Debian
# packages that supplied the libraries on this machine.
notices() {
    local gcc_lib; gcc_lib=$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++.a)
    local libs=("$gcc_lib" "$(dirname "$gcc_lib")/libgcc.a"
                /usr/x86_64-w64-mingw32/lib/libwinpthread.a /usr/x86_64-w64-mingw32/lib/libmingw32.a)
    cat <<TEXT
Third-party code in tallyframe.exe $version
============================================

tallyframe.exe is one statically linked program. Besides Tallyframe's own
code it contains parts of these libraries, built with MinGW-w64 on Debian:

- the GNU C++ library (libstdc++) and the GCC support library (libgcc), under
  the GNU General Public License version 3 with the GCC Runtime Library
  Exception version 3.1, which allows them in a program under any licence;
- the mingw-w64 runtime (start-up code and C runtime glue) and winpthreads
  (the POSIX threads library behind std::thread), under the licences given
  below (mostly the Zope Public License, MIT-style and public domain).

The full texts follow, as Debian's packages give them.
TEXT
    local seen="" lib pkg file sum
    for lib in "${libs[@]}"; do
        pkg=$(dpkg -S "$lib" 2>/dev/null | head -1 | cut -d: -f1)
        file="/usr/share/doc/$pkg/copyright"
        [ -n "$pkg" ] && [ -f "$file" ] || { echo "package: no licence text for $lib" >&2; return 1; }
        sum=$(sha256sum "$file" | cut -c1-64)
        case "$seen" in *"$sum"*) continue ;; esac
        seen="$seen $sum"
        printf '\n\n==== %s (Debian package %s: %s) ====\n\n' "$(basename "$lib")" "$pkg" "$file"
        cat "$file"
    done
}
notices | crlf > "$stage/THIRD-PARTY-NOTICES.txt"

zip="$dist/Tallyframe-$version-portable.zip"
setup="$dist/Tallyframe-$version-setup.exe"
rm -f "$zip" "$setup"

echo "package: $(basename "$zip")"
printf '%s\r\n' "This file makes Tallyframe portable: while it lies beside tallyframe.exe," \
    "the settings are kept in settings.ini in this folder and nothing is written" \
    "to the user's profile. Delete it to use the installed settings location." > "$stage/portable"
python3 - "$zip" "$stage" <<'PY'
import os, sys, zipfile
out, stage = sys.argv[1], sys.argv[2]
temporary = out + ".tmp"
with zipfile.ZipFile(temporary, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for name in ("tallyframe.exe", "README.txt", "THIRD-PARTY-NOTICES.txt", "portable"):
        z.write(os.path.join(stage, name), name)
os.replace(temporary, out)
PY
rm "$stage/portable"  # the installed copy must not be portable

echo "package: $(basename "$setup")"
packaging/windows/make_installer.sh "$version" "$stage" "$setup"

echo "package: winget manifests"
python3 packaging/winget/winget_manifests.py write "$version" "$setup" "$dist/winget"

for f in "$zip" "$setup"; do printf '  %-40s %9d bytes\n' "$(basename "$f")" "$(stat -c %s "$f")"; done
printf '  %-40s %s\n' "winget/" "$(cd "$dist/winget" && ls | tr '\n' ' ')"
