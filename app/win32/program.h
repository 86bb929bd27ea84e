// The program from start to end: start-up sequence, the main window's two event handlers,
// the skin globals and the exit routine.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

#include "base/win32/scoped_win.h"
#include "runtime/win32/form_engine.h"
#include "skin/win32/gdiplus_session.h"
#include "skin/win32/skin_engine.h"

namespace board {

// Process-wide skin state, alive from start-up to the exit routine. The members are
// declared in the order they must come to life, so they go in the reverse order: the
// engine and its GDI+ objects first, the icon, and GDI+ itself last.
struct SkinGlobals {
  SkinGlobals();  // starts GDI+, loads the program icon, makes the engine with its art
  GdiPlusSession gdiPlus;
  ScopedIcon appIcon;  // owned: loaded without LR_SHARED, destroyed once
  SkinEngine skin;
};

// The program's own copy of its "DEFAULT_ICON" at the system's large icon size; null when
// the resource is missing.
HICON LoadAppIcon(HINSTANCE instance);

void OnMainFormCreated(FormEngine& engine, SkinEngine& skin);
void OnMainFormCloseQuery(FormEngine& engine);
// Sets the shared picture and colours, the control skinning, and attaches the window;
// optionA, optionB and showTitle pass through to AttachWindow.
void SkinMainWindow(SkinEngine& skin, std::span<const uint8_t> image, int32_t faceColour,
                    int32_t themeColour, HWND window, int32_t controlAlpha,
                    int32_t captionHeight, int32_t optionA, int32_t optionB, int32_t showTitle);
void SkinContainerWithFace(SkinEngine& skin, HWND control);

// The handler table of the main window: window events first, then each control's click.
std::vector<EventHandler> MakeBoardHandlers(SkinEngine& skin);

// The whole program; returns its exit code.
int RunProgram(HINSTANCE instance);

}  // namespace board
