// The program from start to end: start-up sequence, the main window's two event handlers,
// the skin globals and the exit routine.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

#include "base/win32/scoped_win.h"
#include "runtime/win32/form_engine.h"
#include "skin/win32/skin_engine.h"
#include "skin/win32/skin_globals.h"

namespace board {

// The skin's part of the main window's created event: the window and its two containers.
void SkinMainForm(FormEngine& engine, SkinEngine& skin);
void OnMainFormCreated(FormEngine& engine, SkinEngine& skin);
void OnMainFormCloseQuery(FormEngine& engine);

// Each deactivation of the application calls `start` (the working-set trimmer), except
// while the main window closes.
void TrimOnDeactivation(FormEngine& engine, SkinEngine& skin, bool (*start)());

// The handler table of the main window: window events first, then each control's click.
std::vector<EventHandler> MakeBoardHandlers(SkinEngine& skin);

// The whole program; returns its exit code.
int RunProgram(HINSTANCE instance);

}  // namespace board
