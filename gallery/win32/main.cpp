// SkinGallery.exe: every family of controls the skin paints, in one skinned window.
#include <windows.h>

#include "base/win32/scoped_win.h"
#include "gallery/win32/gallery_window.h"
#include "skin/win32/skin_globals.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  board::SkinGlobals skin;
  // A face GDI+ knows by name as well, so the skin's painters draw captions in it.
  board::ScopedFont font(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
  HWND window = board::CreateGalleryWindow(instance, font.get());
  if (!window) return 1;
  board::SkinGalleryWindow(skin.skin, window);
  ShowWindow(window, show);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return int(message.wParam);
}
