#include "skin/win32/edit_skin.h"

#include <optional>
#include <string>
#include <vector>

#include "skin/colour.h"
#include "skin/win32/background_canvas.h"
#include "skin/win32/control_family.h"
#include "skin/win32/frame_painting.h"
#include "skin/win32/framed_control.h"
#include "skin/win32/skin_drawing.h"

namespace board {

using gp::PointF;
using gp::RectF;

namespace {

constexpr wchar_t kComboTextFont[] = L"宋体";
constexpr float kComboTextSize = 12;  // pixels

void RegisterEdit(SkinEngine& engine, int windowIndex, HWND edit) {
  if (RegisterControl<EditRecord>(engine, windowIndex, Family::kEdit, edit, &EditWindowProc))
    SetPropInt(edit, kPropTextColour, 0);
}

// A combo box shows its current selection as its text; with no selection its text stays.
void WriteSelectionAsText(HWND combo) {
  const LRESULT selection = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (selection < 0) return;
  const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, WPARAM(selection), 0);
  if (length < 0) return;
  std::vector<wchar_t> text(size_t(length) + 1, L'\0');
  if (SendMessageW(combo, CB_GETLBTEXT, WPARAM(selection), LPARAM(text.data())) < 0) return;
  text.back() = L'\0';
  SendMessageW(combo, WM_SETTEXT, 0, LPARAM(text.data()));
}

SkinControlRecord* ComboRecord(const ControlRef& ref) { return ref.controls->combos.At(ref.listIndex); }
EditRecord* EditOf(const ControlRef& ref) { return ref.controls->edits.At(ref.listIndex); }

void RedrawCombo(HWND combo) {
  ScopedGetDc dc(combo);
  if (dc.get()) PaintComboBox(combo, dc.get());
}

// The combo box's hover look, set from the edit inside it as well as from itself.
void SetComboHot(HWND combo, bool hot) {
  ControlRef ref = FindControl<SkinControlRecord>(combo, Family::kCombo);
  if (!ref || ComboRecord(ref)->hot == hot) return;
  ComboRecord(ref)->hot = hot;
  RedrawCombo(combo);
}

void OnEditMouseMove(const ControlRef& ref, HWND edit) {
  TrackMouseLeave(edit);
  SkinControls& c = *ref.controls;
  c.pointerIndex = ref.listIndex;
  const HWND parent = GetParent(edit);
  if (c.hotIndex != ref.listIndex || c.hotClass != kHotEdit || c.hotParent != parent) {
    EditOf(ref)->hot = true;
    PaintEditFrame(edit, NotGiven(), Given(1));
    c.hotIndex = ref.listIndex;
    c.hotClass = kHotEdit;
    c.hotParent = parent;
    if (HasClass(parent, L"ComboBox")) SetComboHot(parent, true);
  }
  // A drag selection repaints over the see-through background.
  if (EditOf(ref)->mouseDown && !HasScrollBars(edit)) InvalidateRect(edit, nullptr, TRUE);
}

void OnEditMouseLeave(const ControlRef& ref, HWND edit) {
  ref.controls->hotIndex = 0;
  EditOf(ref)->hot = false;
  PaintEditFrame(edit, Given(EditOf(ref)->focused), Given(0));
  const HWND parent = GetParent(edit);
  if (HasClass(parent, L"ComboBox") && !PointerOver(parent)) SetComboHot(parent, false);
}

// Messages after which the combo box's own procedure may have drawn over the skin outside
// WM_PAINT (selection, focus, the button's press).
bool RedrawnAfter(UINT message) {
  switch (message) {
    case WM_SETFOCUS: case WM_KILLFOCUS: case WM_SETTEXT: case WM_ENABLE:
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_KEYDOWN: case WM_CHAR: case WM_MOUSEWHEEL:
    case CB_SETCURSEL: case CB_SELECTSTRING: case CB_SHOWDROPDOWN:
      return true;
  }
  return false;
}

}  // namespace

void InstallEdits(SkinEngine& engine, int windowIndex, HWND parent) {
  if (!engine.settings().controlsEnabled || !engine.ControlsOf(windowIndex) || !parent) return;
  ForEachChildOfClass(parent, L"Edit", [&](HWND edit) { RegisterEdit(engine, windowIndex, edit); });
  ForEachChildOfClass(parent, L"ComboBox", [&](HWND combo) {
    if (!RegisterControl<SkinControlRecord>(engine, windowIndex, Family::kCombo, combo, &ComboWindowProc)) return;
    WriteSelectionAsText(combo);
    RegisterEdit(engine, windowIndex, FindWindowExW(combo, nullptr, L"Edit", nullptr));
  });
}

bool SkinEngine::SetComboTextColour(HWND control, COLORREF colour) {
  if (!IsWindow(control)) return false;
  SetPropInt(control, kPropTextColour, intptr_t(colour));
  if (HasClass(control, L"ComboBox"))
    if (HWND edit = FindWindowExW(control, nullptr, L"Edit", nullptr))
      SetPropInt(edit, kPropTextColour, intptr_t(colour));
  InvalidateRect(control, nullptr, TRUE);
  return true;
}

void PaintEditFrame(HWND edit, OptInt focused, OptInt hot) {
  ControlRef ref = FindControl<EditRecord>(edit, Family::kEdit);
  if (!ref) return;
  const EditRecord& r = *EditOf(ref);
  const bool isHot = hot ? *hot != 0 : r.hot;
  const bool isFocused = focused ? *focused != 0 : r.focused;
  const COLORREF theme = ref.engine->settings().themeColour;
  FrameLook look;
  if (isHot)
    look = {ToArgb(theme, 180), 2};
  else if (isFocused)
    look = {ToArgb(theme, 180), 1};
  else
    look = {ToArgb(0, 80), 1};
  PaintControlFrame(*ref.engine, edit, look);
}

void PaintEditBackground(HWND edit, HDC dc) {
  if (SkinEngine* engine = SkinEngine::Instance()) PaintWashedBackground(*engine, edit, dc);
}

namespace {

LRESULT OnEditSetFocus(const ControlRef& ref, HWND edit, WPARAM wp, LPARAM lp) {
  EditOf(ref)->focused = true;
  const LRESULT result = CallPreviousProc(edit, WM_SETFOCUS, wp, lp);
  PaintEditFrame(edit);  // the focused border shows at once, also when tabbed to
  return result;
}

void OnEditKillFocus(const ControlRef& ref, HWND edit) {
  EditOf(ref)->focused = false;
  if (!HasClass(GetParent(edit), L"ComboBox"))
    InvalidateRect(edit, nullptr, TRUE);
  else
    PaintEditFrame(edit, Given(0), Given(0));
}

// Over a see-through background, text that moves (typed, scrolled, selected) is drawn
// again in full: the control would otherwise carry the old picture along.
void RepaintSeeThrough(HWND edit, bool transparent, bool unlessScrollBars) {
  if (transparent && !(unlessScrollBars && HasScrollBars(edit))) InvalidateRect(edit, nullptr, TRUE);
}

LRESULT EditMessage(const ControlRef& ref, HWND edit, UINT message, WPARAM wp, LPARAM lp) {
  if (auto answer = FrameMessage(ref, edit, message, wp, lp, [](HWND e) { PaintEditFrame(e); })) return *answer;
  const bool transparent = Transparent(*ref.engine);
  switch (message) {
    case WM_MOVE:
    case WM_HSCROLL:
    case WM_VSCROLL: RepaintSeeThrough(edit, transparent, false); break;
    case WM_KEYDOWN: RepaintSeeThrough(edit, transparent, true); break;
    case WM_SETFOCUS: return OnEditSetFocus(ref, edit, wp, lp);
    case WM_KILLFOCUS: OnEditKillFocus(ref, edit); break;
    case WM_PAINT: PaintEditFrame(edit); break;
    case WM_MOUSEMOVE: OnEditMouseMove(ref, edit); break;
    case WM_LBUTTONDOWN:
      EditOf(ref)->mouseDown = true;
      RepaintSeeThrough(edit, transparent, true);
      break;
    case WM_LBUTTONUP: EditOf(ref)->mouseDown = false; break;
    case WM_MOUSELEAVE: OnEditMouseLeave(ref, edit); break;
  }
  return CallPreviousProc(edit, message, wp, lp);
}

}  // namespace

LRESULT CALLBACK EditWindowProc(HWND edit, UINT message, WPARAM wp, LPARAM lp) {
  return FramedControlProc<EditRecord>(edit, Family::kEdit, message, wp, lp, EditMessage);
}

void PaintComboBox(HWND combo, HDC dc) {
  ControlRef ref = FindControl<SkinControlRecord>(combo, Family::kCombo);
  if (!ref || !dc) return;
  const SkinControlRecord& r = *ComboRecord(ref);
  const SkinSettings& s = ref.engine->settings();
  RECT client{};
  GetClientRect(combo, &client);
  if (IsRectEmpty(&client)) return;
  const float w = float(client.right), h = float(client.bottom);
  BackgroundCanvas background(*ref.engine, combo, client);
  HDC b = background.get();
  if (!b) return;
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  const bool haveInfo = GetComboBoxInfo(combo, &info) != 0;
  const HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
  const gp::ARGB line = r.focused || r.hot ? ToArgb(s.themeColour, 200) : ToArgb(0, 80);
  {
    gp::Graphics g = background.Surface();
    g.FillRectangle(gp::SolidBrush(ToArgb(0xFFFFFF, s.controlAlphaGiven ? s.controlAlpha : 255)), RectF(0, 0, w, h));
    DrawBorderRing(g, w, h, 1, line);
    const RECT& button = info.rcButton;
    if (haveInfo && !IsRectEmpty(&button)) {
      const RectF box(float(button.left), float(button.top), float(button.right - button.left - 1),
                      float(button.bottom - button.top - 1));
      gp::GraphicsPath round;
      AddRoundRect(round, box.X, box.Y, box.Width, box.Height, 4);
      const auto fill = gp::LinearGradientBrush::FromPoints(
          PointF(0, box.Y - 1), PointF(0, box.Y + box.Height + 1),
          r.hot ? ToArgb(0xFFFFFF, 100) : ToArgb(s.themeColour, 30), ToArgb(s.themeColour, r.hot ? 150 : 100));
      g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
      g.FillPath(fill, round);
      g.DrawPath(gp::Pen(line), round);
      g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
      // Decoded once: decoding the picture costs more than the rest of a combo box's paint.
      gp::Bitmap arrow = SkinPicture(SkinImage::kArrowDown);
      const int aw = int(arrow.Width()), ah = int(arrow.Height());
      if (aw > 0 && ah > 0) {
        const int x = button.left + (button.right - button.left - aw) / 2;
        const int y = button.top + (button.bottom - button.top - ah) / 2;
        g.DrawImage(arrow, RectF(float(x), float(y), float(aw), float(ah)));
      }
    }
    // A drop-down list shows its selection itself; an editable one leaves it to its edit.
    const int length = edit ? 0 : GetWindowTextLengthW(combo);
    if (length > 0 && haveInfo) {
      std::wstring text(size_t(length) + 1, L'\0');
      text.resize(size_t(GetWindowTextW(combo, text.data(), length + 1)));
      gp::FontFamily family = gp::FontFamily::FromName(kComboTextFont);
      if (!family) family = gp::FontFamily::FromName(ReadControlFont(combo).family);
      const gp::Font font(family, kComboTextSize, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
      gp::StringFormat format(Gdiplus::StringFormatFlagsNoWrap);
      format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
      format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
      const RECT& item = info.rcItem;
      const COLORREF colour = COLORREF(PropInt(combo, kPropTextColour));
      g.DrawString(text, font,
                   RectF(float(item.left + 2), float(item.top), float(item.right - item.left - 2),
                         float(item.bottom - item.top)),
                   &format, gp::SolidBrush(ToArgb(colour, 255)));
    }
  }
  // The windows inside (the edit, a simple combo box's list) paint themselves.
  {
    ScopedBrush magenta(CreateSolidBrush(kKeyMagenta));
    ForEachChild(combo, [&](HWND child) {
      if (!IsWindowVisible(child)) return;
      const RECT c = RectInParent(child, combo);
      FillRect(b, &c, magenta.get());
    });
  }
  TransparentBlt(dc, 0, 0, client.right, client.bottom, b, 0, 0, client.right, client.bottom, kKeyMagenta);
}

namespace {

// WM_PAINT, also into a DC a caller handed in wParam.
LRESULT OnComboPaint(HWND combo, HDC given) {
  return PaintMessage(combo, reinterpret_cast<WPARAM>(given), [combo](HDC dc) { PaintComboBox(combo, dc); });
}

// Its edit's focus is the combo box's focus.
std::optional<LRESULT> OnComboCommand(const ControlRef& ref, HWND combo, WPARAM wp, LPARAM lp) {
  const UINT code = HIWORD(wp);
  const bool editFocus = code == EN_SETFOCUS || code == EN_KILLFOCUS;
  if (!editFocus || reinterpret_cast<HWND>(lp) != FindWindowExW(combo, nullptr, L"Edit", nullptr))
    return std::nullopt;
  ComboRecord(ref)->focused = code == EN_SETFOCUS;
  const LRESULT result = CallPreviousProc(combo, WM_COMMAND, wp, lp);
  RedrawCombo(combo);
  return result;
}

// Its edit draws its text over the background it erased itself.
LRESULT OnComboEditColour(HDC dc, HWND edit) {
  SetTextColor(dc, COLORREF(PropInt(edit, kPropTextColour)));
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

void OnComboMouseMove(const ControlRef& ref, HWND combo) {
  TrackMouseLeave(combo);
  SkinControls& c = *ref.controls;
  c.pointerIndex = ref.listIndex;
  if (c.hotIndex == ref.listIndex && c.hotClass == kHotCombo) return;
  c.hotIndex = ref.listIndex;
  c.hotClass = kHotCombo;
  SetComboHot(combo, true);
}

void OnComboMouseLeave(const ControlRef& ref, HWND combo) {
  ref.controls->hotIndex = 0;
  // Moving onto its own edit leaves the combo box's client area, not the combo box.
  if (!PointerOver(combo)) SetComboHot(combo, false);
}

// No WM_NCPAINT: a combo box draws its border inside its client area, which the painter covers.
LRESULT ComboMessage(const ControlRef& ref, HWND combo, UINT message, WPARAM wp, LPARAM lp) {
  const bool transparent = Transparent(*ref.engine);
  switch (message) {
    case WM_MOVE:
      if (transparent) InvalidateRect(combo, nullptr, FALSE);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: ComboRecord(ref)->focused = message == WM_SETFOCUS; break;
    case WM_PAINT: return OnComboPaint(combo, reinterpret_cast<HDC>(wp));
    case WM_PRINTCLIENT:
      if (wp) PaintComboBox(combo, reinterpret_cast<HDC>(wp));
      return 0;
    case WM_ERASEBKGND: return 1;  // the painter covers the whole control
    case WM_COMMAND:
      if (auto answer = OnComboCommand(ref, combo, wp, lp)) return *answer;
      break;
    case WM_CTLCOLOREDIT:
      if (transparent) return OnComboEditColour(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
      break;
    case WM_MOUSEMOVE: OnComboMouseMove(ref, combo); break;
    case WM_MOUSELEAVE: OnComboMouseLeave(ref, combo); break;
  }
  if (RedrawnAfter(message)) {
    const LRESULT result = CallPreviousProc(combo, message, wp, lp);
    if (IsWindow(combo)) RedrawCombo(combo);
    return result;
  }
  return CallPreviousProc(combo, message, wp, lp);
}

}  // namespace

LRESULT CALLBACK ComboWindowProc(HWND combo, UINT message, WPARAM wp, LPARAM lp) {
  return FramedControlProc<SkinControlRecord>(combo, Family::kCombo, message, wp, lp, ComboMessage);
}

}  // namespace board
