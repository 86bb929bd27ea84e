#!/usr/bin/env bash
# Builds SoundBoard.exe and opens the board under Wine on your display. Run as root on
# Debian 12 from a desktop session (DISPLAY set).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh
. scripts/wine_env.sh
arch=$(board_test_arch)
scripts/build.sh "$arch"
: "${DISPLAY:?open the board from a desktop session: DISPLAY is not set}"
board_wine_setup "$arch" "$root/build/win-$arch/wineprefix"
exec "$WINE" "build/win-$arch/SoundBoard.exe"
