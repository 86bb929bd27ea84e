// Up-down controls drawn by the skin: two rounded halves with arrows, the half under the
// pointer or pressed in the theme colour; vertical and horizontal.
#pragma once
#include <windows.h>

namespace board {

class SkinEngine;

void InstallUpDowns(SkinEngine& engine, int windowIndex, HWND parent);
LRESULT CALLBACK UpDownWindowProc(HWND control, UINT message, WPARAM wp, LPARAM lp);

// The halves: 1 the up (or left) half, 2 the down (or right) half; 0 outside the control.
int UpDownHalfAt(HWND control, POINT client);
// The control composed over the skin into `dc`, its hot and pressed halves from its record.
void PaintUpDown(SkinEngine& engine, HWND control, HDC dc);

}  // namespace board
