// Edits and combo boxes drawn with a skinned frame over the window's picture.
#pragma once
#include <windows.h>

namespace board {

class SkinEngine;

// Edits, then combo boxes (and the edit inside each), among the direct children of `parent`.
void InstallEdits(SkinEngine& engine, int windowIndex, HWND parent);

}  // namespace board
