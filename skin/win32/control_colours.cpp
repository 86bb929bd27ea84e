// The answers to the controls' colour messages, and the repaints their changes need.
#include "skin/win32/skin_window.h"

#include <commctrl.h>

namespace board {

void SkinEngine::ReleaseControlColour(int index, HWND control) {
  if (!Window(index)) return;
  // The names go first, so nothing reads them once the objects are gone.
  RemovePropW(control, kPropBrush);
  RemovePropW(control, kPropBrushBitmap);
  std::erase_if(windows_[size_t(index) - 1]->controlColours,
                [control](const auto& e) { return e.first == control; });
}

LRESULT SkinEngine::AnswerControlColour(int index, UINT message, HDC dc, HWND control,
                                        bool& answered) {
  answered = false;
  if (!Window(index) || !settings_.controlsEnabled || !settings_.controlAlphaGiven || !control) return 0;
  SkinWindow& w = *windows_[size_t(index) - 1];
  const COLORREF text = COLORREF(reinterpret_cast<uintptr_t>(GetPropW(control, kPropTextColour)));
  // The control's brush and bitmap; a control only gets a slot once it is answered.
  auto slotOf = [&w, control]() -> SkinWindow::ControlColour& {
    for (auto& e : w.controlColours)
      if (e.first == control) return e.second;
    return w.controlColours.emplace_back(control, SkinWindow::ControlColour{}).second;
  };
  if (message == WM_CTLCOLORBTN ||
      (message == WM_CTLCOLORLISTBOX && HasClass(control, L"ListBox") &&
       !(GetWindowLongW(control, GWL_STYLE) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)))) {
    SetTextColor(dc, text);
    SetBkMode(dc, TRANSPARENT);
    SkinWindow::ControlColour& slot = slotOf();
    // The pattern bitmap of an earlier answer goes too; nothing else would ever free it.
    slot.brush.reset();
    slot.bitmap.reset();
    SetPropW(control, kPropBrush, GetStockObject(NULL_BRUSH));
    RemovePropW(control, kPropBrushBitmap);
    answered = true;
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORSTATIC) {
    if (message == WM_CTLCOLOREDIT && HasClass(GetParent(control), L"ComboBox")) return 0;
    SetTextColor(dc, text);
    SetBkMode(dc, TRANSPARENT);
    // A pattern brush of the picture behind the control; the previous brush and bitmap are
    // replaced, as the control has finished with them.
    ScopedBitmap bitmap(CaptureBackgroundBitmap(control));
    SkinWindow::ControlColour& slot = slotOf();
    slot.brush.reset(bitmap ? CreatePatternBrush(bitmap.get()) : nullptr);
    slot.bitmap = std::move(bitmap);
    // Named on the control as well; the window's record owns both and frees them.
    SetPropW(control, kPropBrush, slot.brush.get());
    SetPropW(control, kPropBrushBitmap, slot.bitmap.get());
    answered = slot.brush.get() != nullptr;
    return reinterpret_cast<LRESULT>(slot.brush.get());
  }
  return 0;
}

void SkinEngine::RepaintChangedChild(UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_COMMAND && settings_.controlsEnabled && settings_.controlAlphaGiven && lp) {
    HWND control = reinterpret_cast<HWND>(lp);
    const UINT code = HIWORD(wp);
    const bool repaint =
        (HasClass(control, L"Edit") && (code == EN_VSCROLL || code == EN_HSCROLL || code == EN_CHANGE || code == EN_UPDATE)) ||
        (HasClass(control, L"ListBox") && (code == LBN_SELCHANGE || code == LBN_SELCANCEL)) ||
        (HasClass(control, L"ComboBox") && (code == CBN_KILLFOCUS || code == CBN_SELCHANGE));
    if (repaint) InvalidateRect(control, nullptr, TRUE);
  } else if (message == WM_NOTIFY && lp) {
    // A tree view expanding or collapsing: both the ANSI and the Unicode codes, as the
    // tree view sends the kind its parent asked for.
    const auto* header = reinterpret_cast<const NMHDR*>(lp);
    switch (header->code) {
      case TVN_ITEMEXPANDINGA: case TVN_ITEMEXPANDEDA:
      case TVN_ITEMEXPANDINGW: case TVN_ITEMEXPANDEDW:
        InvalidateRect(header->hwndFrom, nullptr, TRUE);
        break;
    }
  }
}

}  // namespace board
