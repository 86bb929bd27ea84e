#!/usr/bin/env bash
# Installs what building and testing the board needs on Debian 12, only what is missing.
# Usage: scripts/deps.sh [run|test]
set -euo pipefail
mode=${1:-test}

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

pkgs=(cmake ninja-build make g++ clang libclang-rt-14-dev googletest
      g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
      wine wine64 fonts-wqy-zenhei xauth xvfb xdotool imagemagick x11-utils
      pulseaudio pulseaudio-utils procps file)
[ "$mode" = run ] || true

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  updated=
else
  updated=1
fi
for p in "${pkgs[@]}"; do have_pkg "$p" || need+=("$p"); done
have_pkg wine32:i386 || need+=(wine32:i386)

if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
