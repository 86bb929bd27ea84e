#include "skin/win32/list_skin.h"

#include "skin/win32/skin_engine.h"

namespace board {

void InstallListControls(SkinEngine&, int, HWND) {}

}  // namespace board
