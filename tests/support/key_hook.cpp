#include "tests/support/key_hook.h"

namespace board::testing {

namespace {
KeyHook* g_active = nullptr;  // the hook procedure's only way back to its owner
}  // namespace

KeyHook::KeyHook() {
  if (g_active) return;  // a second one stays unset, and says so through operator bool
  hook_.reset(SetWindowsHookExW(WH_KEYBOARD_LL, &KeyHook::Proc, GetModuleHandleW(nullptr), 0));
  if (hook_) g_active = this;
  // Wine passes over the hooks of a thread that has not looked at its queue for five seconds
  // and is not waiting on it: a test thread busy with something else before would miss the
  // first key sent before its pump starts. Looking once now counts as responsive.
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
}

KeyHook::~KeyHook() {
  if (g_active == this) g_active = nullptr;
}

LRESULT CALLBACK KeyHook::Proc(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && g_active) {
    const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
    g_active->events_.push_back({wp == WM_KEYDOWN || wp == WM_SYSKEYDOWN, k->vkCode,
                                 (k->flags & LLKHF_INJECTED) != 0});
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace board::testing
