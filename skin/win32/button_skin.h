// Push buttons, check boxes and radio buttons drawn by the skin over the window's picture.
#pragma once
#include <windows.h>

namespace board {

class SkinEngine;

// Register the buttons among the direct children of `parent` in window `windowIndex`'s
// button list; buttons already listed are skipped.
void InstallPushButtons(SkinEngine& engine, int windowIndex, HWND parent);
void InstallCheckButtons(SkinEngine& engine, int windowIndex, HWND parent);
// Paints an owner-drawn button the skin registered; anything else is left alone.
void DispatchDrawItem(SkinEngine& engine, int windowIndex, const DRAWITEMSTRUCT& item);

}  // namespace board
