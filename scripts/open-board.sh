#!/usr/bin/env bash
# Builds SoundBoard.exe and opens the board under Wine on your display (or, given another
# program of the build such as SkinGallery, that one). Run as root on Debian 12 from a
# desktop session (DISPLAY set).
set -euo pipefail
program=${1:-SoundBoard}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh
. scripts/wine_env.sh
arch=$(board_test_arch)
[ "$arch" = i686 ] || echo "opening the x86_64 build (${program}.exe): $(board_arch_line | sed 's/^[^:]*: //')"
scripts/build.sh "$arch"
: "${DISPLAY:?open $program from a desktop session: DISPLAY is not set}"
board_wine_setup "$arch" "$root/build/win-$arch/wineprefix" || exit 1
exec "$WINE" "build/win-$arch/$program.exe"
