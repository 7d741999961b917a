#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian 12 machine.
# Idempotent and quick when everything is present: it asks dpkg first and runs apt-get only for what is missing.
set -euo pipefail

packages=(
  cmake ninja-build make g++ python3
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine64 wine fonts-wine fonts-liberation xvfb xauth x11-utils imagemagick
  googletest libgtest-dev
  clang-14 libclang-rt-14-dev
  mscompress libmspack-dev
  pxlib-dev liblnk-utils nsis
  libz-mingw-w64-dev zlib1g-dev
  msitools wixl qpdf python3-reportlab python3-mutagen libimage-exiftool-perl
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
