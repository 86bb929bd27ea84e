// Trackbars and progress bars drawn by the skin.
#pragma once
#include <windows.h>

namespace board {

class SkinEngine;

void InstallTrackbars(SkinEngine& engine, int windowIndex, HWND parent);
void InstallProgressBars(SkinEngine& engine, int windowIndex, HWND parent);

}  // namespace board
