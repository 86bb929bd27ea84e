#include "skin/win32/skin_globals.h"

#include "skin/win32/skin_images.h"

namespace board {

HICON LoadAppIcon(HINSTANCE instance) {
  return static_cast<HICON>(LoadImageW(instance, L"DEFAULT_ICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
}

SkinGlobals::SkinGlobals()
    : appIcon(LoadAppIcon(GetModuleHandleW(nullptr))), skin(StoredSkinArt(appIcon.get())) {}

void SkinMainWindow(SkinEngine& skin, std::span<const uint8_t> image, int32_t faceColour,
                    int32_t themeColour, HWND window, int32_t controlAlpha,
                    int32_t captionHeight, int32_t optionA, int32_t optionB, int32_t showTitle) {
  skin.SetSkinImage(nullptr, image, Given(faceColour), Given(themeColour), Given(3));
  skin.SetControlSkinning(1, Given(controlAlpha), NotGiven());
  AttachWindowOptions options;
  options.interactive = Given(1);
  options.captionDrag = Given(1);
  options.optionA = Given(optionA);
  options.optionB = Given(optionB);
  options.showTitle = Given(showTitle);
  options.captionGloss = Given(0);
  skin.AttachWindow(window, captionHeight, 1, options);
}

void SkinContainerWithFace(SkinEngine& skin, HWND control) {
  skin.AttachContainer(control, Given(1), Given(int32_t(GetSysColor(COLOR_BTNFACE))), Given(0),
                       NotGiven());
}

}  // namespace board
