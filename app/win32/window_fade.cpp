#include "app/win32/window_fade.h"

#include "app/fade.h"
#include "runtime/win32/form_engine.h"

namespace board {
namespace {

bool RealIsNtFamily() {
  OSVERSIONINFOW info{sizeof(info)};
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  if (!GetVersionExW(&info)) return true;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}
void RealSleep(DWORD ms) { Sleep(ms); }
void NoObserver(HWND, int) {}

const FadeApi kRealApi{&RealIsNtFamily, &RealSleep, &NoObserver};
const FadeApi* g_api = &kRealApi;
std::function<void()> g_endProgram;

void EndProgramNow() {
  if (g_endProgram) g_endProgram();
  ExitProcess(0);
}

}  // namespace

const FadeApi& RealFadeApi() { return kRealApi; }
void SetFadeApi(const FadeApi* api) { g_api = api ? api : &kRealApi; }
void SetEndProgram(std::function<void()> endProgram) { g_endProgram = std::move(endProgram); }

void SetWindowAlpha(HWND window, int mode, int alpha) {
  if (!g_api->isNtFamily()) return;
  const int value = LayeredAlpha(LayeredAlphaMode(mode), alpha);
  // Written on every call: whoever changed the style since, the window is layered again.
  SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  SetLayeredWindowAttributes(window, 0, BYTE(value), LWA_ALPHA);
  g_api->onAlpha(window, value);
}

void FadeInWindow(FormEngine& engine, uint32_t formId, uint32_t ownerFormId, int delay) {
  engine.SetProperty(formId, 0, kPropVisible, -1, 0);
  // A form not loaded yet is loaded with its owner when that is loaded, else on its own.
  if (!engine.IsLoaded(formId)) {
    HWND owner = ownerFormId != 0 ? engine.WindowHandle(ownerFormId) : nullptr;
    engine.LoadForm(formId, owner);
  }
  HWND window = engine.WindowHandle(formId);
  if (!window) return;
  const FadePlan plan = PlanFade(delay);
  if (!g_api->isNtFamily()) {
    engine.SetProperty(formId, 0, kPropVisible, -1, 1);
    return;
  }
  SetWindowAlpha(window, kAlphaGiven, 0);
  engine.SetProperty(formId, 0, kPropVisible, -1, 1);
  for (int i = 1; i <= plan.steps; ++i) {
    SetWindowAlpha(window, kAlphaGiven, FadeInAlpha(plan, i));
    engine.ProcessPendingEvents();
    // A close begun by a handler that ran just now (Esc, the close button) owns the alpha
    // from here: the fade-in stops where it is rather than fight the fade-out.
    if (engine.IsClosing(formId)) return;
    if (plan.stepDelay) g_api->sleep(DWORD(plan.stepDelay));
  }
  SetWindowAlpha(window, kAlphaGiven, 255);
}

void FadeOutWindow(FormEngine& engine, uint32_t formId, bool fade, bool endProgram, int delay) {
  HWND window = engine.WindowHandle(formId);
  if (!window) return;
  if (!fade) {
    SetWindowAlpha(window, kAlphaOpaque, 255);
    return;
  }
  if (!g_api->isNtFamily()) {
    if (endProgram) EndProgramNow();
    engine.RequestDestroy(formId);
    return;
  }
  const FadePlan plan = PlanFade(delay);
  SetWindowAlpha(window, kAlphaGiven, 255);
  for (int i = 1; i <= plan.steps; ++i) {
    SetWindowAlpha(window, kAlphaGiven, FadeOutAlpha(plan, i));
    engine.ProcessPendingEvents();
    if (plan.stepDelay) g_api->sleep(DWORD(plan.stepDelay));
  }
  if (endProgram) EndProgramNow();
  engine.RequestDestroy(formId);
}

}  // namespace board
