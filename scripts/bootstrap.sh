#!/usr/bin/env bash
# Installs every Debian package the build and the tests need. Quick when all
# of them are present: dpkg is asked first, apt only when something is missing.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config ccache
  libgtest-dev googletest libgmock-dev libbenchmark-dev libspng-dev zlib1g-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine64 xvfb xdotool x11-utils imagemagick xcompmgr xclip
  fonts-wqy-microhei fonts-dejavu-core
  python3 time
  nsis python3-jsonschema python3-yaml
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  export DEBIAN_FRONTEND=noninteractive
  # A fresh machine has no package lists; an update is cheap compared with a failed install.
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
