// Registration of the skinned buttons, their procedure and the routes to the painters.
#include "skin/win32/button_skin.h"

#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "base/win32/window_text.h"
#include "skin/win32/control_records.h"
#include "skin/win32/control_registry.h"
#include "skin/win32/skin_drawing.h"
#include "skin/win32/skin_engine.h"

namespace board {

namespace {

constexpr LONG_PTR kOwnerDrawBits = BS_OWNERDRAW;

// What an installer makes of a button of this style: push buttons (and user buttons)
// become owner-drawn, check boxes (and push boxes) and auto radio buttons are painted by
// the skin; owner-drawn ones, group boxes, three-state boxes and plain radio buttons are
// left alone.
std::optional<ButtonKind> KindOfStyle(LONG_PTR style, bool pushButtons) {
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
    case BS_USERBUTTON:
      if (pushButtons) return ButtonKind::kPush;
      break;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_PUSHBOX:
      if (!pushButtons) return ButtonKind::kCheck;
      break;
    case BS_AUTORADIOBUTTON:
      if (!pushButtons) return ButtonKind::kRadio;
      break;
  }
  return std::nullopt;
}

// Types whose bits owner-draw's absorb, so that adding them gives an owner-drawn button; a
// group box or a three-state box would turn into no button type at all.
bool TakesOwnerDraw(LONG_PTR style) {
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON: case BS_DEFPUSHBUTTON: case BS_CHECKBOX: case BS_AUTOCHECKBOX:
    case BS_USERBUTTON: case BS_AUTORADIOBUTTON: case BS_PUSHBOX: case BS_OWNERDRAW:
      return true;
  }
  return false;
}

// A record for `button` with its caption and the font it was given, read once.
ButtonRecord NewRecord(HWND button, ButtonKind kind) {
  ButtonRecord record;
  record.window = button;
  record.kind = kind;
  record.text = WindowText(button);
  return record;
}

void ReadFontInto(HWND button, ButtonRecord& record) {
  const ControlFont font = ReadControlFont(button);
  record.fontName = font.family.empty() ? L"宋体" : font.family;
  record.fontSize = font.size == 0 ? 12 : font.size;
  record.fontStyle = font.style;
}

// Lists the button in window `windowIndex` and takes over its procedure; returns the
// record's index, 0 when it was listed already.
int Register(SkinEngine& engine, int windowIndex, ButtonRecord record) {
  HWND button = record.window;
  return RegisterControl(engine, windowIndex, Family::kButton, button, ButtonWindowProc, std::move(record));
}

// Calls f(child, style) for each "BUTTON" child of `parent`, in window order.
template <class F>
void ForEachButtonChild(HWND parent, F&& f) {
  for (HWND child = FindWindowExW(parent, nullptr, L"BUTTON", nullptr); child;
       child = FindWindowExW(parent, child, L"BUTTON", nullptr))
    f(child, GetWindowLongPtrW(child, GWL_STYLE));
}

// Registers one kind of the buttons found: push buttons, or check boxes and radio buttons.
void RegisterButtons(SkinEngine& engine, int windowIndex, HWND parent,
                     std::span<const std::pair<HWND, LONG_PTR>> buttons, bool pushButtons) {
  for (const auto& [child, style] : buttons) {
    const std::optional<ButtonKind> kind = KindOfStyle(style, pushButtons);
    if (!kind) continue;
    if (const ControlLink* link = FindLink(child); link && link->controls) continue;  // listed already
    ButtonRecord record = NewRecord(child, *kind);
    if (!pushButtons) {
      record.checkState = SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
      record.parent = parent;
    }
    const int index = Register(engine, windowIndex, std::move(record));
    if (!index) continue;
    // Push buttons become owner-drawn: their own procedure then asks the parent for every
    // face. Check boxes and radio buttons keep their type and are painted here.
    if (pushButtons) SetWindowLongPtrW(child, GWL_STYLE, style | kOwnerDrawBits);
    if (SkinControls* again = engine.ControlsOf(windowIndex))
      if (ButtonRecord* r = again->buttons.At(index)) ReadFontInto(child, *r);
  }
}

void PaintByKind(ButtonKind kind, HWND hwnd, HDC dc, UINT state, const RECT& rect) {
  switch (kind) {
    case ButtonKind::kPush: PaintPushButton(hwnd, dc, state, rect); break;
    case ButtonKind::kRadio: PaintRadioButton(hwnd, dc, state, rect); break;
    case ButtonKind::kCheck: PaintCheckBox(hwnd, dc, state, rect); break;
    case ButtonKind::kImage:
    case ButtonKind::kImageFour: PaintImageButton(hwnd, dc, state, rect); break;
  }
}

// The state a repaint of a self-painting button shows: a disabled one draws its disabled
// face whatever the caller asked (nothing else would ever ask for it).
UINT WithEnabledState(HWND hwnd, UINT state) {
  return IsWindowEnabled(hwnd) ? state : state | kStateDisabled;
}

// One picture button registered on its own (kinds 1 and 3).
bool RegisterPictureButton(SkinEngine& engine, HWND button, ButtonKind kind,
                           std::span<const std::span<const uint8_t>> images, int32_t number,
                           const std::wstring& caption) {
  if (!IsWindow(button) || !HasClass(button, L"Button")) return false;
  const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
  if (!TakesOwnerDraw(style)) return false;
  const int windowIndex = engine.SkinnedAncestor(button);
  if (!engine.ControlsOf(windowIndex) || FindRecord<ButtonRecord>(button, Family::kButton)) return false;
  ButtonRecord record = NewRecord(button, kind);
  for (size_t i = 0; i < images.size() && i < record.images.size(); ++i)
    record.images[i].assign(images[i].begin(), images[i].end());
  record.number = number;
  if (!caption.empty()) record.text = caption;
  const int index = Register(engine, windowIndex, std::move(record));
  if (!index) return false;
  SetWindowLongPtrW(button, GWL_STYLE, style | kOwnerDrawBits);
  if (SkinControls* again = engine.ControlsOf(windowIndex))
    if (ButtonRecord* r = again->buttons.At(index)) ReadFontInto(button, *r);
  InvalidateRect(button, nullptr, FALSE);
  return true;
}

// A registered button's messages, each handled with its arguments decoded; nullopt passes
// the message on to the button's own procedure.
struct ButtonMessages {
  HWND hwnd;
  ButtonRecord& record;
  SkinControls& controls;
  int own;  // the button's index in its window's list

  bool PaintsItself() const { return record.kind == ButtonKind::kCheck || record.kind == ButtonKind::kRadio; }

  // The face of a self-painting button, the same for the screen and for a parent's print.
  void PaintContent(HDC dc) const {
    RECT client;
    GetClientRect(hwnd, &client);
    PaintByKind(record.kind, hwnd, dc, WithEnabledState(hwnd, 0), client);
  }

  std::optional<LRESULT> OnSetText(WPARAM wp, LPARAM lp) const {
    const wchar_t* text = reinterpret_cast<const wchar_t*>(lp);
    record.text = text ? text : L"";
    return OnRedrawnChange(WM_SETTEXT, wp, lp);
  }

  // A new text or enabled state: the standard procedure draws its own face with it, and
  // the skin's goes back over it.
  std::optional<LRESULT> OnRedrawnChange(UINT message, WPARAM wp, LPARAM lp) const {
    if (!PaintsItself()) return std::nullopt;
    const LRESULT result = CallPreviousProc(hwnd, message, wp, lp);
    RedrawButtonState(hwnd, 0, false);
    return result;
  }

  std::optional<LRESULT> OnPaint(WPARAM wp, LPARAM lp) const {
    if (!PaintsItself()) return std::nullopt;
    PAINTSTRUCT ps;
    // Drawn into the paint DC, not a fresh GetDC one: the face lands in the region EndPaint validates.
    if (HDC dc = BeginPaint(hwnd, &ps)) {
      PaintContent(dc);
      EndPaint(hwnd, &ps);
    }
    return DefWindowProcW(hwnd, WM_PAINT, wp, lp);
  }

  // Owner-drawn buttons print through their own procedure, which asks the parent for the face.
  std::optional<LRESULT> OnPrintClient(HDC dc) const {
    if (!PaintsItself() || !dc) return std::nullopt;
    PaintContent(dc);
    return 0;
  }

  // Nothing to erase, and said so: the painters lay the whole face over the skin.
  static LRESULT OnEraseBackground(HWND hwnd, HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, COLORREF(PropInt(hwnd, kPropTextColour)));
    return 1;
  }

  // A press, Space or a new check state: the standard procedure paints the new state its
  // own way first.
  std::optional<LRESULT> OnPress(UINT message, WPARAM wp, LPARAM lp) const {
    if (!PaintsItself()) return std::nullopt;
    const bool radio = record.kind == ButtonKind::kRadio;  // the record may move meanwhile
    CallPreviousProc(hwnd, message, wp, lp);
    RedrawButtonState(hwnd, radio ? kStatePressed : 0, false);
    return DefWindowProcW(hwnd, message, wp, lp);
  }

  void OnMouseMove() const {
    TrackMouseLeave(hwnd);
    controls.pointerIndex = own;
    // Only a change of the hot control repaints, not every move.
    if (controls.hotIndex == own && controls.hotClass == kHotButton) return;
    RedrawButtonState(hwnd, 0, true);
    controls.hotIndex = own;
    controls.hotClass = kHotButton;
  }

  void OnMouseLeave() const {
    controls.hotIndex = 0;
    RedrawButtonState(hwnd, record.focused ? kStateFocus : 0, false);
  }
};

}  // namespace

ButtonRecord* FindButtonRecord(SkinEngine& engine, HWND hwnd) {
  const FoundControl<ButtonRecord> found = FindRecord<ButtonRecord>(hwnd, Family::kButton);
  return found && found.engine == &engine ? found.record : nullptr;
}

void InstallButtons(SkinEngine& engine, int windowIndex, HWND parent) {
  if (!engine.settings().controlsEnabled || !parent) return;
  // The children are walked once, each step a round trip to the server under Wine. The
  // push buttons are numbered first, then the check boxes and radio buttons.
  std::vector<std::pair<HWND, LONG_PTR>> buttons;
  ForEachButtonChild(parent, [&buttons](HWND child, LONG_PTR style) { buttons.emplace_back(child, style); });
  RegisterButtons(engine, windowIndex, parent, buttons, true);
  RegisterButtons(engine, windowIndex, parent, buttons, false);
}

LRESULT CALLBACK ButtonWindowProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_NCDESTROY) return DestroyedControl(hwnd, PropSlot::kMain, wp, lp);
  const FoundControl<ButtonRecord> found = FindRecord<ButtonRecord>(hwnd, Family::kButton);
  if (!found) return CallPreviousProc(hwnd, message, wp, lp);
  const ButtonMessages button{hwnd, *found.record, *found.controls, found.listIndex};
  std::optional<LRESULT> answer;
  switch (message) {
    case WM_MOVE: InvalidateRect(hwnd, nullptr, TRUE); break;
    case WM_SETFOCUS: found.record->focused = true; break;
    case WM_KILLFOCUS: found.record->focused = false; break;
    case WM_SETTEXT: answer = button.OnSetText(wp, lp); break;
    case WM_ENABLE: answer = button.OnRedrawnChange(message, wp, lp); break;
    case WM_PAINT: answer = button.OnPaint(wp, lp); break;
    case WM_PRINTCLIENT: answer = button.OnPrintClient(reinterpret_cast<HDC>(wp)); break;
    case WM_ERASEBKGND: return ButtonMessages::OnEraseBackground(hwnd, reinterpret_cast<HDC>(wp));
    case WM_NCPAINT: return 1;  // no frame (wParam is the update region, not a DC)
    case WM_KEYDOWN: if (wp == VK_SPACE) answer = button.OnPress(message, wp, lp); break;
    case BM_SETCHECK:
    case WM_LBUTTONDOWN: answer = button.OnPress(message, wp, lp); break;
    case WM_MOUSEMOVE: button.OnMouseMove(); break;
    case WM_LBUTTONUP: found.controls->hotIndex = 0; break;  // the next move shows the hover look again
    case WM_LBUTTONDBLCLK: return 0;  // the second press of a double click is dropped: one click, not two
    case WM_MOUSELEAVE: button.OnMouseLeave(); break;
  }
  return answer ? *answer : CallPreviousProc(hwnd, message, wp, lp);
}

void RedrawButtonState(HWND hwnd, UINT state, bool hot) {
  SkinEngine* engine = SkinEngine::Instance();
  const ButtonRecord* record = engine ? FindButtonRecord(*engine, hwnd) : nullptr;
  if (!record) return;
  if (hot) state |= kStateHot;
  const ButtonKind kind = record->kind;
  ScopedGetDc dc(hwnd);
  if (!dc.get()) return;
  RECT client;
  GetClientRect(hwnd, &client);
  PaintByKind(kind, hwnd, dc.get(), WithEnabledState(hwnd, state), client);
}

void DispatchDrawItem(SkinEngine& engine, int windowIndex, const DRAWITEMSTRUCT& item) {
  if (item.CtlType != ODT_BUTTON || !item.hwndItem) return;
  const FoundControl<ButtonRecord> found = FindRecord<ButtonRecord>(item.hwndItem, Family::kButton);
  // Only the buttons of this window's lists.
  if (!found || found.engine != &engine || found.controls != engine.ControlsOf(windowIndex)) return;
  const ButtonRecord* record = found.record;
  switch (record->kind) {
    case ButtonKind::kPush:
      PaintPushButton(item.hwndItem, item.hDC, item.itemState, item.rcItem);
      break;
    case ButtonKind::kImage:
    case ButtonKind::kImageFour:
      PaintImageButton(item.hwndItem, item.hDC, item.itemState, item.rcItem);
      break;
    case ButtonKind::kRadio:
    case ButtonKind::kCheck:
      break;  // they paint themselves
  }
}

bool SkinEngine::SkinImageButton(HWND button, std::span<const uint8_t> image, int32_t number,
                                 const std::wstring& caption) {
  const std::span<const uint8_t> images[] = {image};
  return RegisterPictureButton(*this, button, ButtonKind::kImage, images, number, caption);
}

bool SkinEngine::SkinFourStateButton(HWND button, std::array<std::span<const uint8_t>, 4> images,
                                     const std::wstring& caption) {
  return RegisterPictureButton(*this, button, ButtonKind::kImageFour, images, 0, caption);
}

}  // namespace board
