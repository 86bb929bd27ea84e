// Watches the keyboard as the system sees it: a low-level keyboard hook that keeps every key
// event reaching it. Shared by the Windows tests and the end-to-end probe.
#pragma once
#include <windows.h>

#include <cstddef>
#include <vector>

namespace board::testing {

struct KeyEvent {
  bool down;
  DWORD vk;
  bool injected;  // sent by a program (keybd_event, SendInput), not typed
};

// Low-level hooks run inside the message loop of the thread that set them: pumps this
// thread's messages until `done()` holds or `ms` have passed.
template <typename Done>
void PumpMessagesUntil(Done done, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (!done() && GetTickCount64() < end) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}
inline void PumpMessagesFor(DWORD ms) { PumpMessagesUntil([] { return false; }, ms); }

// A hook set with SetWindowsHookExW, removed when the owner goes.
class ScopedHook {
 public:
  explicit ScopedHook(HHOOK hook = nullptr) : hook_(hook) {}
  ~ScopedHook() { reset(); }
  ScopedHook(const ScopedHook&) = delete;
  ScopedHook& operator=(const ScopedHook&) = delete;
  explicit operator bool() const { return hook_ != nullptr; }
  void reset(HHOOK hook = nullptr) {
    if (hook_) UnhookWindowsHookEx(hook_);
    hook_ = hook;
  }

 private:
  HHOOK hook_;
};

// Sets a WH_KEYBOARD_LL hook on this thread for its lifetime and records what reaches it
// while the thread pumps messages. One at a time per process (the hook has no context).
class KeyHook {
 public:
  KeyHook();
  ~KeyHook();
  KeyHook(const KeyHook&) = delete;
  KeyHook& operator=(const KeyHook&) = delete;

  // False when the system refused the hook.
  explicit operator bool() const { return bool(hook_); }
  const std::vector<KeyEvent>& events() const { return events_; }
  // Pumps messages until `count` events have arrived or `ms` have passed.
  void waitFor(size_t count, DWORD ms) {
    PumpMessagesUntil([&] { return events_.size() >= count; }, ms);
  }

 private:
  static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp);

  std::vector<KeyEvent> events_;
  ScopedHook hook_;  // after the events: unhooked before they go
};

}  // namespace board::testing
