// The system tooltip control over a window's tools: one tooltip window, owned here and
// destroyed with the object. Texts are UTF-16 (the W messages).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>

namespace board::gp {

// Whether the tooltip window is the owner's own pop-up (above it, and destroyed with it by
// the system) or stands alone, going only when this object says so.
enum class TooltipParent { kNone, kOwner };

class Tooltip {
 public:
  Tooltip() = default;
  Tooltip(Tooltip&& o) noexcept
      : window_(std::exchange(o.window_, nullptr)),
        owner_(std::exchange(o.owner_, nullptr)),
        parented_(std::exchange(o.parented_, false)) {}
  Tooltip& operator=(Tooltip&& o) noexcept;
  ~Tooltip() { Destroy(); }
  Tooltip(const Tooltip&) = delete;
  Tooltip& operator=(const Tooltip&) = delete;

  // Creates the tooltip window for the tools of `owner` (always shown, even when the owner
  // is inactive; a balloon when asked). Replaces any window this object had.
  bool Create(HWND owner, bool balloon = false, TooltipParent parent = TooltipParent::kNone);
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
  // Destroys the window. One the owner parented is destroyed only while the owner still
  // owns it: the system destroys it with the owner, and the handle may name another window.
  void Destroy();

  HWND window() const { return window_; }
  HWND owner() const { return owner_; }

 private:
  TTTOOLINFOW ToolInfo(UINT_PTR id) const;
  bool AddToolInfo(TTTOOLINFOW& info);
  HWND window_ = nullptr;
  HWND owner_ = nullptr;
  bool parented_ = false;
};

}  // namespace board::gp
