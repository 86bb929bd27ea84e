// Controls that paint themselves (month calendars, tab controls, toolbars, status bars,
// buttons, trackbars, rich edits), laid over the skin with their face colour keyed out:
// the control draws into an off-screen copy, and only what differs from the key colour is
// copied onto the picture behind it.
#pragma once
#include <windows.h>

namespace board {

class SkinEngine;

// The procedure SkinEngine::SkinTransparentControl installs (its own kept in Kj_hProc).
LRESULT CALLBACK TransparentControlProc(HWND control, UINT message, WPARAM wp, LPARAM lp);

// Whether the class is one that can be laid over the skin this way.
bool IsTransparentClass(HWND control);
// The control as it paints itself, its key colour keyed out, over the skin, into `dc`.
void PaintTransparentControl(SkinEngine& engine, HWND control, HDC dc);

}  // namespace board
