// List boxes, list and tree views, date pickers and address boxes: a skinned frame only.
#pragma once
#include <windows.h>

namespace board {

class SkinEngine;

void InstallListControls(SkinEngine& engine, int windowIndex, HWND parent);

}  // namespace board
