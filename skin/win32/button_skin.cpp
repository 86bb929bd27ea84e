#include "skin/win32/button_skin.h"

#include "skin/win32/skin_engine.h"

namespace board {

void InstallPushButtons(SkinEngine&, int, HWND) {}
void InstallCheckButtons(SkinEngine&, int, HWND) {}
void DispatchDrawItem(SkinEngine&, int, const DRAWITEMSTRUCT&) {}

bool SkinEngine::SkinImageButton(HWND, std::span<const uint8_t>, int32_t, const std::wstring&) {
  return false;
}
bool SkinEngine::SkinFourStateButton(HWND, std::array<std::span<const uint8_t>, 4>,
                                     const std::wstring&) {
  return false;
}

}  // namespace board
