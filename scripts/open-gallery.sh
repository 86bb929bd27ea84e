#!/usr/bin/env bash
# Builds SkinGallery.exe, one skinned window with a control of every family the skin
# paints, and opens it under Wine on your display. Run as root on Debian 12 from a desktop
# session (DISPLAY set).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh
. scripts/wine_env.sh
arch=$(board_test_arch)
scripts/build.sh "$arch"
: "${DISPLAY:?open the gallery from a desktop session: DISPLAY is not set}"
board_wine_setup "$arch" "$root/build/win-$arch/wineprefix"
exec "$WINE" "build/win-$arch/SkinGallery.exe"
