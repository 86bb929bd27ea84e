#include "base/win32/gbk_text.h"

#include <windows.h>

namespace board {

std::wstring FromGbk(const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(936, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring out(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(936, 0, text.data(), int(text.size()), out.data(), n);
  return out;
}

}  // namespace board
