#!/usr/bin/env bash
# Compiles the installer: make_installer.sh <version> <stage folder> <out.exe>.
# The stage folder holds tallyframe.exe, README.txt and THIRD-PARTY-NOTICES.txt.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
version="$1" stage="$(realpath "$2")" out="$(realpath -m "$3")"
# makensis writes the output in place: a failed run must not leave half a file
# under the final name.
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" \
    -DICON="$here/../../src/shell/resources/tallyframe.ico" -DOUTFILE="$out.tmp" "$here/tallyframe.nsi" >/dev/null
mv -f "$out.tmp" "$out"
