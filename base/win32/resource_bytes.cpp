#include "base/win32/resource_bytes.h"

namespace board {

std::span<const uint8_t> ResourceBytes(const wchar_t* name, const wchar_t* type, HMODULE module) {
  if (!module) module = GetModuleHandleW(nullptr);
  HRSRC res = FindResourceW(module, name, type);
  HGLOBAL mem = res ? LoadResource(module, res) : nullptr;
  const void* bytes = mem ? LockResource(mem) : nullptr;
  if (!bytes) return {};
  return {static_cast<const uint8_t*>(bytes), SizeofResource(module, res)};
}

}  // namespace board
