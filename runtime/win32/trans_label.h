// The transparent label: text drawn straight onto whatever lies behind it.
#pragma once
#include <windows.h>

#include <string>

#include "runtime/form_description.h"
#include "base/win32/scoped_win.h"

namespace board {

class TransLabel {
 public:
  static constexpr wchar_t kClassName[] = L"BoardTransLabel";
  static void Register(HINSTANCE instance);

  explicit TransLabel(const LabelKindData& data);
  HWND Create(HINSTANCE instance, HWND parent, DWORD exStyle, DWORD style, int x, int y,
              int width, int height, HMENU id);

  const std::wstring& text() const { return text_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void Paint(HWND hwnd);

  std::wstring text_;
  COLORREF colour_;
  ScopedFont font_;
};

}  // namespace board
