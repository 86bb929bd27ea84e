#!/usr/bin/env bash
# Builds SkinGallery.exe, one skinned window with a control of every family the skin
# paints, and opens it under Wine on your display. Run as root on Debian 12 from a desktop
# session (DISPLAY set).
exec bash "$(dirname "$0")/open-board.sh" SkinGallery
