#include "skin/win32/container_skin.h"

#include "skin/win32/skin_engine.h"

namespace board {

bool SkinEngine::AttachContainer(HWND, OptInt, OptInt, OptInt, OptInt) { return false; }
bool SkinEngine::SetContainerAlpha(HWND, int32_t) { return false; }

}  // namespace board
