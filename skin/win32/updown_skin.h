// Up-down controls drawn by the skin: two rounded halves with arrows.
#pragma once
#include <windows.h>

namespace board {

class SkinEngine;

void InstallUpDowns(SkinEngine& engine, int windowIndex, HWND parent);

}  // namespace board
