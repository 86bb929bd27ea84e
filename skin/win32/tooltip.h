// The system tooltip control over a window's tools: one tooltip window, owned here and
// destroyed with the object. Texts are UTF-16 (the W messages).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>

namespace board::gp {

class Tooltip {
 public:
  Tooltip() = default;
  Tooltip(Tooltip&& o) noexcept
      : window_(std::exchange(o.window_, nullptr)), owner_(std::exchange(o.owner_, nullptr)) {}
  Tooltip& operator=(Tooltip&& o) noexcept;
  ~Tooltip() { Destroy(); }
  Tooltip(const Tooltip&) = delete;
  Tooltip& operator=(const Tooltip&) = delete;

  // Creates the tooltip window for the tools of `owner` (always shown, even when the owner
  // is inactive; a balloon when asked). Replaces any window this object had.
  bool Create(HWND owner, bool balloon = false);
  // A tool: a rectangle in the owner's client area with its text. The tooltip watches the
  // owner's mouse messages itself.
  bool AddTool(UINT_PTR id, const RECT& rect, const std::wstring& text);
  // A tool whose text the owner supplies on demand (TTN_GETDISPINFOW).
  bool AddToolWithTextCallback(UINT_PTR id, const RECT& rect);
  void SetBackgroundColour(COLORREF colour);
  void SetTextColour(COLORREF colour);
  void SetMaxWidth(int width);  // -1: no limit
  void DeleteTool(UINT_PTR id);
  void NewToolRect(UINT_PTR id, const RECT& rect);
  void UpdateTipText(UINT_PTR id, const std::wstring& text);
  void Destroy();

  HWND window() const { return window_; }
  HWND owner() const { return owner_; }

 private:
  TTTOOLINFOW ToolInfo(UINT_PTR id) const;
  bool AddToolInfo(TTTOOLINFOW& info);
  HWND window_ = nullptr;
  HWND owner_ = nullptr;
};

}  // namespace board::gp
