// Header controls (a list view's too) drawn by the skin: white items at the control alpha,
// the hot and pressed items in the theme colour, soft separators, the items' icons and
// their captions trimmed to the item's width.
#pragma once
#include <windows.h>

namespace board {

class SkinEngine;

// Registers the headers among the direct children of `parent` and the header of each list
// view among them.
void InstallHeaders(SkinEngine& engine, int windowIndex, HWND parent);
LRESULT CALLBACK HeaderWindowProc(HWND control, UINT message, WPARAM wp, LPARAM lp);

// The header composed over the skin into `dc`, its hot and pressed items from its record.
void PaintHeader(SkinEngine& engine, HWND control, HDC dc);

}  // namespace board
