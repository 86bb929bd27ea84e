// Edits and combo boxes drawn with a skinned frame over the window's picture. The edit still
// draws its text and the system its scroll bars; the combo box is painted whole by the skin
// except the edit inside it.
#pragma once
#include <windows.h>

#include "skin/win32/skin_engine.h"

namespace board {

// Edits, then combo boxes (and the edit inside each), among the direct children of `parent`.
void InstallEdits(SkinEngine& engine, int windowIndex, HWND parent);

LRESULT CALLBACK EditWindowProc(HWND edit, UINT message, WPARAM wp, LPARAM lp);
LRESULT CALLBACK ComboWindowProc(HWND combo, UINT message, WPARAM wp, LPARAM lp);

// The edit's frame in its window DC; a state not given comes from the edit's record.
void PaintEditFrame(HWND edit, OptInt focused = NotGiven(), OptInt hot = NotGiven());
// The skin behind the edit's client area, washed, into `dc`; the edit then draws its text
// transparently over it.
void PaintEditBackground(HWND edit, HDC dc);
// The whole combo box but the windows inside it, into `dc` (client coordinates).
void PaintComboBox(HWND combo, HDC dc);

}  // namespace board
