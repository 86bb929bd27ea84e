#include "runtime/win32/trans_label.h"

#include <cstring>

#include "base/win32/gbk_text.h"
#include "runtime/win32/form_engine.h"

namespace board {

void TransLabel::Register(HINSTANCE instance) {
  WNDCLASSEXW wc{sizeof(wc)};
  if (GetClassInfoExW(instance, kClassName, &wc)) return;
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = nullptr;  // nothing is erased: what lies behind shows through
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);
}

TransLabel::TransLabel(const LabelKindData& data)
    : text_(FromGbk(data.text)), colour_(COLORREF(data.textColour)) {
  // The stored font is a LOGFONTA; its face name is GBK. None stored: the default face.
  LOGFONTA a{};
  LOGFONTW w{};
  if (data.font.size() == sizeof(LOGFONTA)) std::memcpy(&a, data.font.data(), sizeof a);
  std::memcpy(&w, &a, offsetof(LOGFONTA, lfFaceName));
  std::wstring face = FromGbk(std::string(a.lfFaceName, strnlen(a.lfFaceName, LF_FACESIZE)));
  if (face.empty()) face = L"宋体";
  wcsncpy(w.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  if (w.lfCharSet == 0 && data.font.empty()) w.lfCharSet = GB2312_CHARSET;
  font_.reset(CreateFontIndirectW(&w));
}

HWND TransLabel::Create(HINSTANCE instance, HWND parent, DWORD exStyle, DWORD style, int x,
                        int y, int width, int height, HMENU id) {
  return CreateWindowExW(exStyle | WS_EX_TRANSPARENT, kClassName, text_.c_str(), style, x, y, width,
                         height, parent, id, instance, this);
}

LRESULT CALLBACK TransLabel::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      LONG_PTR(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
  auto* self = reinterpret_cast<TransLabel*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      if (self) {
        self->Paint(hwnd);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void TransLabel::Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc;
  GetClientRect(hwnd, &rc);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour_);
  {
    ScopedSelectObject font(dc, font_.get());
    DrawTextW(dc, text_.c_str(), int(text_.size()), &rc, DT_NOPREFIX | DT_WORDBREAK | DT_LEFT);
  }
  EndPaint(hwnd, &ps);
}

}  // namespace board
