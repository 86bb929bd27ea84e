#include "skin/win32/edit_skin.h"

#include "skin/win32/skin_engine.h"

namespace board {

void InstallEdits(SkinEngine&, int, HWND) {}

bool SkinEngine::SetComboTextColour(HWND, COLORREF) { return false; }

}  // namespace board
