#include "skin/win32/skin_globals.h"

#include "skin/win32/skin_images.h"

namespace board {

HICON LoadAppIcon(HINSTANCE instance) {
  // LoadImage without LR_SHARED rather than LoadIcon: the copy is the program's own, so the
  // exit routine may destroy it.
  const wchar_t* const names[] = {MAKEINTRESOURCEW(129), L"DEFAULT_ICON"};
  for (const wchar_t* name : names)
    if (HANDLE icon = LoadImageW(instance, name, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE))
      return static_cast<HICON>(icon);
  return nullptr;
}

SkinGlobals::SkinGlobals()
    : appIcon(LoadAppIcon(GetModuleHandleW(nullptr))), skin(StoredSkinArt(appIcon.get())) {}

void SkinMainWindow(SkinEngine& skin, const MainWindowSkin& how) {
  skin.SetSkinImage(nullptr, how.image, Given(how.faceColour), Given(how.themeColour), Given(3));
  skin.SetControlSkinning(1, Given(how.controlAlpha), NotGiven());
  AttachWindowOptions options;
  options.interactive = Given(1);
  options.captionDrag = Given(1);
  options.optionA = Given(how.optionA);
  options.optionB = Given(how.optionB);
  options.showTitle = Given(how.showTitle);
  options.captionGloss = Given(0);
  skin.AttachWindow(how.window, how.captionHeight, 1, options);
}

void SkinContainerWithFace(SkinEngine& skin, HWND control) {
  skin.AttachContainer(control, Given(1), Given(int32_t(GetSysColor(COLOR_BTNFACE))), Given(0),
                       NotGiven());
}

}  // namespace board
