#!/usr/bin/env bash
# Installs what building and testing the engine needs on Debian 12: the host
# toolchain and libraries, both mingw-w64 cross compilers, 32-bit and 64-bit
# Wine on Xvfb and the outside tools the tests use as oracles. Safe to run
# again, and on machines that cannot run 32-bit programs: the 32-bit packages
# install there too and simply go unused.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libssl-dev liblzma-dev
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine xvfb xdotool imagemagick
  7zip python3 python3-py7zr libarchive-tools xz-utils
  wixl msitools libglib2.0-dev
  osslsigncode openssl curl nginx-light
  clang libclang-rt-14-dev
  fp-compiler fp-units-rtl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
# A mirror in the middle of a sync makes one index fail to download; try
# again, and go on with the indexes that did arrive rather than give up.
for attempt in 1 2 3; do
  $SUDO apt-get update -q && break
  echo "apt-get update failed (attempt $attempt); retrying" >&2
  sleep 10
done
install() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "$@"; }
if install "${missing[@]}"; then
  exit 0
fi
# An i386 index that failed to download (a mirror in sync) leaves the 32-bit
# packages out of step with the installed 64-bit ones. Install the rest: the
# tests then take the 64-bit Wine path, which they choose by what runs.
echo "WARNING: the 32-bit packages could not be installed; the Wine tests will take the 64-bit path" >&2
native=()
for p in "${missing[@]}"; do
  [[ "$p" == *:i386 ]] || native+=("$p")
done
[ ${#native[@]} -eq 0 ] || install "${native[@]}"
