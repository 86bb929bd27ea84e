// The form engine's control factory: each stored control becomes its window, inside its
// container, with the runtime's fonts.
#include <algorithm>

#include "base/win32/gbk_text.h"
#include "runtime/win32/form_internal.h"

namespace board {
namespace {

// Nothing here listens for WM_PARENTNOTIFY, so the controls are spared sending it: one
// message less per control while the form is created.
constexpr DWORD kControlExStyle = WS_EX_NOPARENTNOTIFY;

// The runtime's font for controls that carry none of their own. It stays the runtime's
// choice: a control without a font answers WM_GETFONT with null, and the skin, which draws
// each caption in the font the control reports, would then fall back to the system font of
// the window's DC. The stored description gives buttons and the tab control no font, which
// means this default, as it does for any other program the form engine runs.
LOGFONTW DefaultLogFont(int height) {
  LOGFONTW lf{};
  lf.lfHeight = -height;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = GB2312_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  wcscpy_s(lf.lfFaceName, L"宋体");
  return lf;
}

// What every control's creation needs: its record, its container and the common style.
struct ControlPlan {
  const ControlRecord& record;
  HWND parent;
  DWORD baseStyle;  // WS_CHILD and the visible, disabled and tab-stop bits
  HMENU id;
  HINSTANCE instance;
};

HWND CreateChild(const ControlPlan& c, const wchar_t* className, const wchar_t* text,
                 DWORD style) {
  const ControlRecord& r = c.record;
  return CreateWindowExW(kControlExStyle, className, text, style, r.left, r.top, r.width,
                         r.height, c.parent, c.id, c.instance, nullptr);
}

template <typename T>
T KindDataOf(const ControlRecord& r) {
  const T* p = std::get_if<T>(&r.kindData);
  return p ? *p : T{};
}

DWORD AlignmentStyle(int32_t horizontal, int32_t vertical) {
  DWORD bits = horizontal == 0 ? BS_LEFT : horizontal == 1 ? BS_CENTER : BS_RIGHT;
  bits |= vertical == 0 ? BS_TOP : vertical == 1 ? BS_VCENTER : BS_BOTTOM;
  return bits;
}

HWND CreateButton(const ControlPlan& c, Form&) {
  const ButtonKindData b = KindDataOf<ButtonKindData>(c.record);
  DWORD style = c.baseStyle | BS_MULTILINE | (b.type == 1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) |
                AlignmentStyle(b.hAlign, b.vAlign);
  // The picture itself is not decoded: no form of the program gives a button one, and the
  // skin draws every button's face.
  if (!b.picture.empty()) style |= BS_BITMAP;
  return CreateChild(c, L"BUTTON", FromGbk(b.caption).c_str(), style);
}

HWND CreateGroupBox(const ControlPlan& c, Form& form) {
  // No kind data: left-aligned caption, no text, the button-face colour, one brush per form.
  if (!form.groupBrush) form.groupBrush.reset(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
  return CreateChild(c, L"BUTTON", L"", c.baseStyle | BS_GROUPBOX | BS_LEFT);
}

HWND CreateTab(const ControlPlan& c, Form&) {
  const TabKindData t = KindDataOf<TabKindData>(c.record);
  DWORD style = WS_CHILD | (c.baseStyle & (WS_DISABLED | WS_TABSTOP | WS_VISIBLE));
  if (t.headerPosition & 1) style |= TCS_BOTTOM;
  if (t.headerPosition & 2) style |= TCS_VERTICAL;
  if (t.multiLine) style |= TCS_MULTILINE;
  HWND h = CreateChild(c, WC_TABCONTROLW, L"", style);
  if (!h) return nullptr;
  for (size_t p = 0; p < t.pageTitles.size(); ++p) {
    std::wstring title = FromGbk(t.pageTitles[p]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = title.data();
    SendMessageW(h, TCM_INSERTITEMW, p, LPARAM(&item));
  }
  const int last = std::max(int(t.pageTitles.size()) - 1, 0);
  SendMessageW(h, TCM_SETCURSEL, std::clamp(t.currentPage, 0, last), 0);
  return h;
}

HWND CreateLabel(const ControlPlan& c, ControlInstance& instance) {
  instance.label = std::make_unique<TransLabel>(KindDataOf<LabelKindData>(c.record));
  const ControlRecord& r = c.record;
  return instance.label->Create(c.instance, c.parent, kControlExStyle, c.baseStyle, r.left,
                                r.top, r.width, r.height, c.id);
}

}  // namespace

void MakeControlFonts(Form& form) {
  LOGFONTW lf = DefaultLogFont(14);
  form.defaultFont.reset(CreateFontIndirectW(&lf));
  // Page headers in a smaller face, so they stay within a category row laid over them.
  lf = DefaultLogFont(12);
  form.headerFont.reset(CreateFontIndirectW(&lf));
}

// Creates control `i`, its container first; `state` marks records 0 not yet, 1 being
// created (a container cycle is refused), 2 done.
HWND FormEngine::CreateControl(Form& form, size_t i, std::vector<uint8_t>& state) {
  if (state[i] == 2) return form.controls[i].hwnd;
  if (state[i] == 1) return nullptr;
  state[i] = 1;
  const FormDescription& d = form.desc;
  const ControlRecord& r = d.records[i];
  ControlInstance& c = form.controls[i];
  c.visible = (r.flags & kFlagVisible) != 0;
  HWND parent = form.hwnd;
  if (r.container != 0 && r.container != d.records[0].controlId) {
    const int ci = form.recordOf(r.container);
    parent = ci > 0 ? CreateControl(form, size_t(ci), state) : nullptr;
    if (ci > 0 && d.records[size_t(ci)].kind == kKindTab) {
      c.tab = size_t(ci);
      c.page = PageOfChild(d.records[size_t(ci)], r.controlId);
    }
  }
  state[i] = 2;
  if (!parent || !r.kindDataOk) return nullptr;

  // The container exists by now, its page selected: a control that starts on screen is
  // created visible, which saves a round of ShowWindow calls.
  DWORD base = WS_CHILD | WS_CLIPSIBLINGS | (form.onScreen(i) ? WS_VISIBLE : 0);
  if (r.flags & kFlagDisabled) base |= WS_DISABLED;
  if (r.flags & kFlagTabStop) base |= WS_TABSTOP;
  const ControlPlan plan{r, parent, base, reinterpret_cast<HMENU>(uintptr_t(r.controlId & 0xFFFF)),
                         instance_};
  HWND h = nullptr;
  switch (r.kind) {
    case kKindButton: h = CreateButton(plan, form); break;
    case kKindGroupBox: h = CreateGroupBox(plan, form); break;
    case kKindTab: h = CreateTab(plan, form); break;
    case kKindTransLabel: h = CreateLabel(plan, c); break;
    default: return nullptr;  // kinds this program never shows (the hidden viewer)
  }
  if (!h) return nullptr;
  c.hwnd = h;
  if (r.kind != kKindTransLabel) {
    HFONT font = r.kind == kKindTab ? form.headerFont.get() : form.defaultFont.get();
    SendMessageW(h, WM_SETFONT, WPARAM(font), 0);
  }
  if (r.kind == kKindTab || r.kind == kKindGroupBox)
    SetWindowSubclass(h, ContainerSubclassProc, kContainerSubclassId, DWORD_PTR(form.hwnd));
  return h;
}

}  // namespace board
