#include "skin/win32/trackbar_skin.h"

#include "skin/win32/skin_engine.h"

namespace board {

void InstallTrackbars(SkinEngine&, int, HWND) {}
void InstallProgressBars(SkinEngine&, int, HWND) {}

}  // namespace board
