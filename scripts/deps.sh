#!/usr/bin/env bash
# Installs what building, running and testing the board needs on Debian 12, only what is
# missing. Run as root.
#
# Two groups:
# - required: the builds, the native tests and the x86_64 test path under wine64. A failure
#   here fails the set-up.
# - wanted where it can run: the i386 architecture and wine32, which only running the i686
#   product needs. Tried only where this kernel runs 32-bit programs; when it cannot be
#   installed (a mirror mid-sync, i386 packages older than their amd64 twins) the set-up
#   prints a note and the x86_64 build is what runs under Wine.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine_env.sh"

# libebur128-dev measures the clips' loudness, espeak-ng speaks the two spoken clips, libstb-dev
# encodes the skin's pictures and the clip report's spectrogram sheet (pkg-config finds the
# first).
required=(cmake ninja-build g++ clang libclang-rt-14-dev googletest pkg-config libebur128-dev espeak-ng libstb-dev
          g++-mingw-w64-i686 g++-mingw-w64-x86-64
          wine wine64 fonts-wqy-zenhei xvfb xdotool imagemagick x11-utils
          pulseaudio pulseaudio-utils procps file)
wanted_i386=(wine32:i386)

export DEBIAN_FRONTEND=noninteractive
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing() { local p; for p in "$@"; do have_pkg "$p" || echo "$p"; done; }

# One index being synchronised on the server fails the whole update although every other
# index was read; what decides is whether the install then works.
update_indexes() {
  local try
  for try in 1 2 3; do
    apt-get update -qq && return 0
    [ "$try" -lt 3 ] && sleep "${BOARD_APT_RETRY_PAUSE:-5}"
  done
  echo "warning: apt-get update still reports failed indexes after 3 tries; installing from what it read"
}

# install LOG PACKAGE...: installs quietly, keeping the package manager's words in LOG.
install() {
  local log=$1
  shift
  apt-get install -y -qq --no-install-recommends "$@" >"$log" 2>&1
}

log=$(mktemp)
trap 'rm -f "$log"' EXIT

mapfile -t need < <(missing "${required[@]}")
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  update_indexes
  if ! install "$log" "${need[@]}"; then
    cat "$log"
    echo "FAIL: could not install the required packages: ${need[*]}"
    exit 1
  fi
fi

if ! kernel_runs_i386; then
  echo "note: this kernel runs no 32-bit programs: not adding the i386 architecture or wine32; the x86_64 build runs under Wine"
  exit 0
fi
mapfile -t need < <(missing "${wanted_i386[@]}")
[ ${#need[@]} -gt 0 ] || exit 0
echo "installing: ${need[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  update_indexes
fi
if ! install "$log" "${need[@]}"; then
  reason=$(grep -m1 -E '^E: ' "$log" || tail -1 "$log")
  echo "note: ${need[*]} could not be installed (${reason:-no reason given}); the x86_64 build runs under Wine"
fi
exit 0
