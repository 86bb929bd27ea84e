// Fading a form's window in and out through its layered-window alpha.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

namespace board {

class FormEngine;

// What the fades ask of the system; tests swap in a recorder.
struct FadeApi {
  bool (*isNtFamily)();  // layered windows exist only on the NT family
  void (*sleep)(DWORD ms);
  // Called with every alpha written, after the window's attributes are set.
  void (*onAlpha)(HWND window, int alpha);
};
const FadeApi& RealFadeApi();
void SetFadeApi(const FadeApi* api);  // nullptr restores the real one

// Makes the window layered and sets its constant alpha: mode 1 = 192, mode 2 = `alpha`
// clamped to 0..255, any other mode = 255. Does nothing outside the NT family.
void SetWindowAlpha(HWND window, int mode, int alpha);

// Hides the form, then shows it with rising alpha over trunc(4 × unit) steps. A form not
// loaded yet is loaded first, owned by the owner form when that is loaded; ownerFormId 0
// means no owner.
void FadeInWindow(FormEngine& engine, uint32_t formId, uint32_t ownerFormId, int delay);

// Lowers the alpha to 0, then destroys the form (asynchronously) or ends the program.
// With fade false it only makes the window opaque and closes nothing.
void FadeOutWindow(FormEngine& engine, uint32_t formId, bool fade, bool endProgram, int delay);

// Ends the program at once with exit code 0 (set by the program entry).
void SetEndProgram(std::function<void()> endProgram);

}  // namespace board
