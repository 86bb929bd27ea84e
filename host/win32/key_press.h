// Synthetic key presses: a key or a chord of up to three keys, as if typed.
#pragma once
#include <windows.h>

#include <span>

#include "base/value_types.h"

namespace board {

// The system calls the key presser makes; tests swap in a recorder.
struct KeyApi {
  void(WINAPI* keybdEvent)(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra);
  SHORT(WINAPI* vkKeyScanEx)(CHAR ch, HKL layout);
  HKL(WINAPI* getKeyboardLayout)(DWORD thread);
};
const KeyApi& RealKeyApi();

// The key code of one argument: an int's low byte, or the virtual key of a text's first
// character in the current layout (low byte only, so no shift state is pressed). A left-out
// argument is 0.
BYTE KeyOfArgument(const ArgRecord& arg, const KeyApi& api);

// Presses the keys in argument order, then releases them in the same order. The first key
// is sent even when it is 0; a later key of 0 is skipped. Up to three arguments are used.
void SimulateKeys(std::span<const ArgRecord> args, const KeyApi& api = RealKeyApi());

}  // namespace board
