// The program from start to end: start-up sequence, the main window's two event handlers,
// the skin globals and the exit routine.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

#include "app/win32/skin_calls.h"
#include "runtime/win32/form_engine.h"

namespace board {

// Process-wide skin state, alive from start-up to the exit routine.
struct SkinGlobals {
  ULONG_PTR gdiPlusToken = 0;  // 0 when GDI+ failed to start
  HICON appIcon = nullptr;
  int firstSize = 0, controlsEnabled = 0, controlAlpha = 0;
  COLORREF themeColour = 0;
  int controlOption = 0;
};
SkinGlobals& TheSkinGlobals();
SkinEngine* TheSkin();

// Starts GDI+, loads the program icon and sets the skin defaults.
void InitSkinGlobals();
// Releases the skin object, its icon and GDI+ (registered to run at program end).
void ExitRoutine();

void OnMainFormCreated(FormEngine& engine);
void OnMainFormCloseQuery(FormEngine& engine);
void SkinMainWindow(std::span<const uint8_t> image, int32_t faceColour, int32_t themeColour,
                    HWND window, int32_t controlAlpha, int32_t captionHeight, int32_t a,
                    int32_t b, int32_t c);
void SkinContainerWithFace(HWND control);

// The handler table of the main window: window events first, then each control's click.
std::vector<EventHandler> MakeBoardHandlers();

// The whole program; returns its exit code.
int RunProgram(HINSTANCE instance);

}  // namespace board
