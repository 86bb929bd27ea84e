#include "skin/win32/updown_skin.h"

#include "skin/win32/skin_engine.h"

namespace board {

void InstallUpDowns(SkinEngine&, int, HWND) {}

}  // namespace board
