// A window's text as a string: a control's caption, a window's title.
#pragma once
#include <windows.h>

#include <string>

namespace board {

inline std::wstring WindowText(HWND window) {
  std::wstring text(size_t(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(size_t(GetWindowTextW(window, text.data(), int(text.size()))));
  return text;
}

}  // namespace board
