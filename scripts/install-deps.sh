#!/usr/bin/env bash
# Installs everything the build and the tests need from Debian's packages.
# Idempotent: packages already present are left alone, so a second run is quick.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo" >&2; exit 1; }
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive

packages=(
  cmake make ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64
  wine wine64 fonts-wine fonts-wqy-zenhei locales
  xvfb xdotool x11-apps x11-utils imagemagick file
)

missing=()
for p in "${packages[@]}" wine32:i386; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  # 32-bit Windows programs need Wine's i386 half; the architecture must be known to dpkg
  # before the package lists are read.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "install-deps: all packages present"
fi

# Wine takes its ANSI code page from the locale; without the generated locale files non-ASCII
# file names arrive mangled even though the code page reads 936.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  echo "install-deps: generating the zh_CN.UTF-8 locale"
  $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
