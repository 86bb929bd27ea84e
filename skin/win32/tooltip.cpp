#include "skin/win32/tooltip.h"

#include "skin/win32/gdiplus_objects.h"

namespace board::gp {

Tooltip& Tooltip::operator=(Tooltip&& o) noexcept {
  if (this != &o) {
    Destroy();
    window_ = std::exchange(o.window_, nullptr);
    owner_ = std::exchange(o.owner_, nullptr);
  }
  return *this;
}

bool Tooltip::Create(HWND owner, bool balloon) {
  Destroy();
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  const DWORD style = TTS_ALWAYSTIP | (balloon ? TTS_BALLOON : 0);
  // No parent: this object alone decides when the window goes, so its handle never
  // outlives the window by accident.
  window_ = CreateWindowExW(0, TOOLTIPS_CLASSW, L"", style, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (!window_) return false;
  owner_ = owner;
  ++g_liveGdiPlusObjects;
  return true;
}

TTTOOLINFOW Tooltip::ToolInfo(UINT_PTR id) const {
  TTTOOLINFOW info = {};
  // The first layout of the record: every version of the control accepts it.
  info.cbSize = TTTOOLINFOW_V1_SIZE;
  info.hwnd = owner_;
  info.uId = id;
  return info;
}

bool Tooltip::AddToolInfo(TTTOOLINFOW& info) {
  if (!window_) return false;
  info.uFlags = TTF_SUBCLASS;
  info.hinst = GetModuleHandleW(nullptr);
  return SendMessageW(window_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
}

bool Tooltip::AddTool(UINT_PTR id, const RECT& rect, const std::wstring& text) {
  TTTOOLINFOW info = ToolInfo(id);
  info.rect = rect;
  info.lpszText = const_cast<LPWSTR>(text.c_str());  // the control copies it
  return AddToolInfo(info);
}

bool Tooltip::AddToolWithTextCallback(UINT_PTR id, const RECT& rect) {
  TTTOOLINFOW info = ToolInfo(id);
  info.rect = rect;
  info.lpszText = LPSTR_TEXTCALLBACKW;
  return AddToolInfo(info);
}

void Tooltip::SetBackgroundColour(COLORREF colour) {
  if (window_) SendMessageW(window_, TTM_SETTIPBKCOLOR, colour, 0);
}

void Tooltip::SetTextColour(COLORREF colour) {
  if (window_) SendMessageW(window_, TTM_SETTIPTEXTCOLOR, colour, 0);
}

void Tooltip::SetMaxWidth(int width) {
  if (window_) SendMessageW(window_, TTM_SETMAXTIPWIDTH, 0, width);
}

void Tooltip::DeleteTool(UINT_PTR id) {
  if (!window_) return;
  TTTOOLINFOW info = ToolInfo(id);
  SendMessageW(window_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void Tooltip::NewToolRect(UINT_PTR id, const RECT& rect) {
  if (!window_) return;
  TTTOOLINFOW info = ToolInfo(id);
  info.rect = rect;
  SendMessageW(window_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
}

void Tooltip::UpdateTipText(UINT_PTR id, const std::wstring& text) {
  if (!window_) return;
  TTTOOLINFOW info = ToolInfo(id);
  info.hinst = GetModuleHandleW(nullptr);
  info.lpszText = const_cast<LPWSTR>(text.c_str());
  SendMessageW(window_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void Tooltip::Destroy() {
  if (!window_) return;
  DestroyWindow(window_);
  window_ = nullptr;
  owner_ = nullptr;
  --g_liveGdiPlusObjects;
}

}  // namespace board::gp
