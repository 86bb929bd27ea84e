// The bytes of a resource embedded in a module, found by name and type.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>

namespace board {

// Empty when the module holds no such resource. The bytes live as long as the module.
std::span<const uint8_t> ResourceBytes(const wchar_t* name,
                                       const wchar_t* type = MAKEINTRESOURCEW(10) /* RT_RCDATA */,
                                       HMODULE module = nullptr);

}  // namespace board
