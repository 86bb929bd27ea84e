#include "app/win32/clip_store.h"

#include <windows.h>

#include <span>

#include "app/clip_catalogue.h"

namespace board {

const uint8_t* ClipByteSet(int clipId) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC res = FindResourceW(module, L"CLIPS", MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  HGLOBAL mem = res ? LoadResource(module, res) : nullptr;
  const auto* bytes = static_cast<const uint8_t*>(mem ? LockResource(mem) : nullptr);
  if (!bytes) return nullptr;
  std::span<const uint8_t> clip = FindClip({bytes, SizeofResource(module, res)}, clipId);
  return clip.empty() ? nullptr : clip.data();
}

}  // namespace board
