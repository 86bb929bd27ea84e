#include "skin/win32/transparent_skin.h"

#include "skin/win32/skin_engine.h"

namespace board {

bool SkinEngine::SkinTransparentControl(HWND, OptInt, OptInt) { return false; }

}  // namespace board
