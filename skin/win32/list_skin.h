// List boxes, list and tree views, date pickers and address boxes: the skin paints their
// frame only; the control draws its items and the system its scroll bars.
#pragma once
#include <windows.h>

#include "skin/win32/skin_engine.h"

namespace board {

// Repaint the frame. A list posts it to itself once its own focus handling is done, so the
// frame is drawn after whatever the control redrew; anything else may send it as well.
inline constexpr UINT kRepaintFrameMessage = 0x8002;

void InstallListControls(SkinEngine& engine, int windowIndex, HWND parent);

LRESULT CALLBACK ListWindowProc(HWND list, UINT message, WPARAM wp, LPARAM lp);

// The list's frame in its window DC; the focus not given comes from the list's record.
void PaintListFrame(HWND list, OptInt focused = NotGiven());

}  // namespace board
