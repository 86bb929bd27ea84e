// What a program that shows skinned windows sets up once: GDI+, its icon and the engine,
// and the usual way to skin its main window and its containers. The board and the skin
// gallery share these.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>

#include "base/win32/scoped_win.h"
#include "skin/win32/gdiplus_session.h"
#include "skin/win32/skin_engine.h"

namespace board {

// Process-wide skin state, alive from start-up to the exit routine. The members are
// declared in the order they must come to life: GDI+, the icon, then the engine with the
// skin defaults. The engine is made after GDI+ rather than before it, because it takes the
// icon it paints in its caption when it is made. They go in the reverse order: the engine's
// tables first, because they hold GDI+ objects that must be deleted while GDI+ runs and
// paint with the icon until then; the icon next; GDI+ itself last.
struct SkinGlobals {
  SkinGlobals();  // starts GDI+, loads the program icon, makes the engine with its art
  GdiPlusSession gdiPlus;
  ScopedIcon appIcon;  // owned: loaded without LR_SHARED, destroyed once
  SkinEngine skin;
};

// The program's own copy of its icon at the system's large icon size: resource 129 when
// there is one, else "DEFAULT_ICON"; null when both are missing.
HICON LoadAppIcon(HINSTANCE instance);

// How a program's main window is skinned: the shared picture and colours, the control
// skinning and the window's frame.
struct MainWindowSkin {
  HWND window = nullptr;
  std::span<const uint8_t> image;  // the shared background picture (an image file)
  int32_t faceColour = 0;
  int32_t themeColour = 0;
  int32_t controlAlpha = 0;
  int32_t captionHeight = 25;
  // Passed through to AttachWindow's options of the same names.
  int32_t optionA = 0, optionB = 0;
  int32_t showTitle = 1;
};

// Sets the shared picture and colours, the control skinning, and attaches the window.
void SkinMainWindow(SkinEngine& skin, const MainWindowSkin& how);
// A container tinted with the system's face colour.
void SkinContainerWithFace(SkinEngine& skin, HWND control);

}  // namespace board
