// SkinGallery.exe: every family of controls the skin paints, in one skinned window.
#include <windows.h>

#include "gallery/win32/gallery_window.h"
#include "skin/win32/skin_globals.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  board::SkinGlobals skin;
  HWND window = board::CreateGalleryWindow(instance);
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
