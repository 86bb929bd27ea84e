#!/usr/bin/env bash
# Installs what building, running and testing the board needs on Debian 12, only what is
# missing. Run as root.
set -euo pipefail

# libebur128-dev measures the clips' loudness, espeak-ng speaks the two spoken clips, libstb-dev
# encodes the skin's pictures and the clip report's spectrogram sheet (pkg-config finds the
# first).
pkgs=(cmake ninja-build g++ clang libclang-rt-14-dev googletest pkg-config libebur128-dev espeak-ng libstb-dev
      g++-mingw-w64-i686 g++-mingw-w64-x86-64
      wine wine64 wine32:i386 fonts-wqy-zenhei xvfb xdotool imagemagick x11-utils
      pulseaudio pulseaudio-utils procps file)

have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
need=()
for p in "${pkgs[@]}"; do have_pkg "$p" || need+=("$p"); done
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
