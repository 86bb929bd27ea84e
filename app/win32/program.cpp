#include "app/win32/program.h"

#include <objidl.h>
#include <gdiplus.h>

#include "app/main_form_layout.h"
#include "app/win32/window_fade.h"
#include "audio/win32/host.h"

namespace board {
namespace {

SkinGlobals g_skinGlobals;
SkinEngine* g_skin = nullptr;
bool g_exitDone = false;

// What the program does at its end, whichever way it ends: the host stops every player
// and waits for their threads, then the exit routine runs.
void ProgramEnd() {
  HostEnd();
  ExitRoutine();
}

}  // namespace

SkinGlobals& TheSkinGlobals() { return g_skinGlobals; }
SkinEngine* TheSkin() { return g_skin; }

void InitSkinGlobals() {
  Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, no suppression
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) token = 0;
  g_skinGlobals.gdiPlusToken = token;

  HINSTANCE self = GetModuleHandleW(nullptr);
  HICON icon = LoadIconW(self, MAKEINTRESOURCEW(129));
  if (!icon) icon = LoadIconW(self, L"DEFAULT_ICON");
  g_skinGlobals.appIcon = icon;

  g_skinGlobals.firstSize = 1;
  g_skinGlobals.controlsEnabled = 1;
  g_skinGlobals.controlAlpha = 160;
  g_skinGlobals.themeColour = 0xDDCA22;
  g_skinGlobals.controlOption = 1;
}

void ExitRoutine() {
  if (g_exitDone) return;
  g_exitDone = true;
  DestroyIcon(g_skinGlobals.appIcon);  // a null icon fails harmlessly
  g_skinGlobals.appIcon = nullptr;
  if (g_skinGlobals.gdiPlusToken) Gdiplus::GdiplusShutdown(g_skinGlobals.gdiPlusToken);
  g_skinGlobals.gdiPlusToken = 0;
  delete g_skin;
  g_skin = nullptr;
}

void SkinMainWindow(std::span<const uint8_t> image, int32_t faceColour, int32_t themeColour,
                    HWND window, int32_t controlAlpha, int32_t captionHeight, int32_t a,
                    int32_t b, int32_t c) {
  if (!g_skin) return;
  g_skin->SetSkinImage(nullptr, image, Given(faceColour), Given(themeColour), Given(3));
  g_skin->SetControlSkinning(1, Given(controlAlpha), NotGiven());
  const OptInt options[] = {Given(1), Given(1), Given(a), Given(b), Given(c), Given(0),
                            NotGiven(), NotGiven(), NotGiven(), NotGiven()};
  g_skin->AttachWindow(window, captionHeight, 1, options);
}

void SkinContainerWithFace(HWND control) {
  if (!g_skin) return;
  g_skin->AttachContainer(control, Given(1), Given(int32_t(GetSysColor(COLOR_BTNFACE))), Given(0),
                          NotGiven());
}

void OnMainFormCreated(FormEngine& engine) {
  HWND window = engine.WindowHandle(kMainFormId);
  // The background picture arrives with the skin; until then there is none to pass.
  SkinMainWindow({}, 0, 0, window, 0, 25, 0, 0, 1);
  SkinContainerWithFace(engine.WindowHandle(kMainFormId, kTabControlId));
  SkinContainerWithFace(engine.WindowHandle(kMainFormId, kGroupBoxControlId));
  FadeInWindow(engine, kMainFormId, 0, 20);
}

void OnMainFormCloseQuery(FormEngine& engine) {
  FadeOutWindow(engine, kMainFormId, true, false, 30);
}

int RunProgram(HINSTANCE instance) {
  // The runtime: the playback host (player list, command layer's service entry) and the
  // form engine with the board's handlers.
  HostStart();
  FormEngine engine(instance, MakeBoardHandlers());
  // Global construction: the skin object exists before GDI+ starts.
  g_skin = new SkinEngine();
  SetEndProgram(&ProgramEnd);
  InitSkinGlobals();
  if (!engine.LoadForm(kMainFormId)) {
    FormEngine::ShowStartupFailure(L"载入启动窗口失败");
    ProgramEnd();
    return -1;
  }
  engine.RunMessageLoop();
  ProgramEnd();
  return 0;
}

}  // namespace board
