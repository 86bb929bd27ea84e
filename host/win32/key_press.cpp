#include "host/win32/key_press.h"

namespace board {

const KeyApi& RealKeyApi() {
  static const KeyApi api{&keybd_event, &VkKeyScanExA, &GetKeyboardLayout};
  return api;
}

BYTE KeyOfArgument(const ArgRecord& arg, const KeyApi& api) {
  if (arg.type == kArgText) {
    const char* text = reinterpret_cast<const char*>(uintptr_t(arg.value));
    if (!text) return 0;  // no text at all: no key, rather than a read through null
    return LOBYTE(api.vkKeyScanEx(text[0], api.getKeyboardLayout(0)));
  }
  if (arg.type == kArgOmitted) return 0;
  return BYTE(arg.value & 0xFF);
}

void SimulateKeys(std::span<const ArgRecord> args, const KeyApi& api) {
  BYTE keys[3] = {};
  for (size_t i = 0; i < 3 && i < args.size(); ++i) keys[i] = KeyOfArgument(args[i], api);
  for (DWORD flags : {DWORD(0), DWORD(KEYEVENTF_KEYUP)}) {
    for (int i = 0; i < 3; ++i)
      if (i == 0 || keys[i] != 0) api.keybdEvent(keys[i], 0, flags, 0);
  }
}

}  // namespace board
