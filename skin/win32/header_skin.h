// Header controls (a list view's too) drawn by the skin.
#pragma once
#include <windows.h>

namespace board {

class SkinEngine;

void InstallHeaders(SkinEngine& engine, int windowIndex, HWND parent);

}  // namespace board
