#include "app/win32/skin_calls.h"

namespace board {

SkinEngine::SkinEngine() : faceColour_(GetSysColor(COLOR_BTNFACE)) {}

bool SkinEngine::SetSkinImage(const wchar_t*, std::span<const uint8_t>, OptInt, OptInt, OptInt) {
  return true;
}
bool SkinEngine::SetControlSkinning(int32_t, OptInt, OptInt) { return true; }
bool SkinEngine::AttachWindow(HWND, int32_t, int32_t, const AttachWindowOptions&) { return true; }
bool SkinEngine::AttachContainer(HWND, OptInt, OptInt, OptInt, OptInt) { return true; }

}  // namespace board
