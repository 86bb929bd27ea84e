#include "runtime/win32/form_engine.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "base/win32/gbk_text.h"
#include "base/win32/resource_bytes.h"
#include "runtime/icon_file.h"
#include "base/win32/scoped_win.h"
#include "runtime/win32/trans_label.h"

namespace board {
namespace {

constexpr wchar_t kDefaultFormClass[] = L"BoardForm";
constexpr UINT kMsgDestroyRequest = WM_APP + 0x101;
constexpr UINT_PTR kContainerSubclassId = 0xB0A7D;
// Nothing here listens for WM_PARENTNOTIFY, so the controls are spared sending it: one
// message less per control while the form is created.
constexpr DWORD kControlExStyle = WS_EX_NOPARENTNOTIFY;

// The runtime's font for controls that carry none of their own.
LOGFONTW DefaultLogFont(int height) {
  LOGFONTW lf{};
  lf.lfHeight = -height;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = GB2312_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  wcscpy_s(lf.lfFaceName, L"宋体");
  return lf;
}

}  // namespace

struct ControlInstance {
  HWND hwnd = nullptr;
  int page = -1;        // tab page that holds the control, -1 when not on a page
  size_t tab = 0;       // record of that tab control
  bool visible = true;  // the visible property; a page control shows only on its page
  int32_t tag = 0, cursor = 0;
  std::unique_ptr<TransLabel> label;
};

struct Form {
  FormEngine* engine = nullptr;
  FormDescription desc;
  std::vector<ControlInstance> controls;  // parallel to desc.records; [0] is the window
  HWND hwnd = nullptr;
  bool alive = false;
  bool escCloses = false;
  bool visibilityWritten = false;
  bool closing = false;  // the close query's handler is running
  bool destroyRequested = false;
  ScopedFont defaultFont, headerFont;
  ScopedIcon bigIcon, smallIcon;
  ScopedBrush groupBrush;

  uint32_t formId() const { return desc.formId; }
  int recordOf(uint32_t controlId) const {
    if (controlId == 0) return 0;
    return FindRecord(desc, controlId);
  }
  int recordOf(HWND hwnd) const {
    for (size_t i = 0; i < controls.size(); ++i)
      if (controls[i].hwnd == hwnd && hwnd) return int(i);
    return -1;
  }
  int currentPage(size_t tab) const {
    return controls[tab].hwnd ? int(SendMessageW(controls[tab].hwnd, TCM_GETCURSEL, 0, 0)) : 0;
  }
  // A control is on screen when its visible property is set and, on a tab page, its page
  // is the current one.
  bool onScreen(size_t i) const {
    const ControlInstance& c = controls[i];
    return c.visible && (c.page < 0 || c.page == currentPage(c.tab));
  }
  void applyVisibility(size_t i) {
    if (!controls[i].hwnd || i == 0) return;
    ShowWindow(controls[i].hwnd, onScreen(i) ? SW_SHOWNA : SW_HIDE);
  }
  // Left, top, width and height; a control's relative to its container's client area.
  void geometry(size_t i, int (&v)[4]) const {
    HWND h = controls[i].hwnd;
    RECT rc;
    GetWindowRect(h, &rc);
    if (i != 0) MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&rc), 2);
    v[0] = rc.left;
    v[1] = rc.top;
    v[2] = rc.right - rc.left;
    v[3] = rc.bottom - rc.top;
  }
  void applyPages(size_t tab) {
    for (size_t i = 1; i < controls.size(); ++i)
      if (controls[i].page >= 0 && controls[i].tab == tab) applyVisibility(i);
  }
};

LRESULT CALLBACK FormWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// The form of a live form window; null once the window is gone.
Form* FormOf(HWND hwnd) {
  return IsWindow(hwnd) ? reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) : nullptr;
}

// Containers (tab control, group box) pass their children's notifications on to the form.
LRESULT CALLBACK ContainerSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR ref) {
  switch (msg) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      if (lp != 0 || msg == WM_DRAWITEM || msg == WM_MEASUREITEM)
        return SendMessageW(reinterpret_cast<HWND>(ref), msg, wp, lp);
      break;
    case WM_NOTIFY:
      if (lp && reinterpret_cast<NMHDR*>(lp)->hwndFrom != hwnd)
        return SendMessageW(reinterpret_cast<HWND>(ref), msg, wp, lp);
      break;
    case WM_ERASEBKGND:
      // A group box draws only its frame; its inside takes the brush the form hands out.
      if ((GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) {
        HDC dc = reinterpret_cast<HDC>(wp);
        auto brush = reinterpret_cast<HBRUSH>(
            SendMessageW(reinterpret_cast<HWND>(ref), WM_CTLCOLORSTATIC, wp, LPARAM(hwnd)));
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(dc, &rc, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
        return 1;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, ContainerSubclassProc, kContainerSubclassId);
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

namespace {

// Left, top, width and height: read and written together through the window's rectangle.
bool IsGeometry(uint32_t index) { return index <= kPropHeight; }

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

// The window class: the stored name, or the runtime's own; registered on first use.
bool EnsureFormClass(HINSTANCE instance, const std::wstring& className) {
  WNDCLASSEXW wc{sizeof(wc)};
  if (GetClassInfoExW(instance, className.c_str(), &wc)) return true;
  wc = WNDCLASSEXW{sizeof(wc)};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = FormWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = className.c_str();
  return RegisterClassExW(&wc) != 0;
}

DWORD FormStyle(const WindowKindData& win) {
  const bool bordered = win.settings[kWinBorder] != 0;
  DWORD style = WS_CLIPCHILDREN | (bordered ? WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME : WS_POPUP);
  if (win.settings[kWinControlBox]) style |= WS_SYSMENU;
  if (win.settings[kWinMinButton]) style |= WS_MINIMIZEBOX;
  if (win.settings[kWinMaxButton]) style |= WS_MAXIMIZEBOX;
  return style;
}

DWORD FormExStyle(const WindowKindData& win) {
  DWORD exStyle = 0;
  if (win.settings[kWinInTaskbar]) exStyle |= WS_EX_APPWINDOW;
  if (win.settings[kWinTopMost]) exStyle |= WS_EX_TOPMOST;
  return exStyle;
}

// The window icon from the stored ICO file, at the two sizes the system shows.
void SetFormIcons(Form& form, std::span<const uint8_t> icoFile) {
  if (icoFile.empty()) return;
  auto iconOfSize = [&](int size) -> HICON {
    std::span<const uint8_t> image = FindIconImage(icoFile, size);
    if (image.empty()) return nullptr;
    return CreateIconFromResourceEx(const_cast<BYTE*>(image.data()), DWORD(image.size()), TRUE,
                                    0x00030000, size, size, LR_DEFAULTCOLOR);
  };
  form.bigIcon.reset(iconOfSize(GetSystemMetrics(SM_CXICON)));
  form.smallIcon.reset(iconOfSize(GetSystemMetrics(SM_CXSMICON)));
  if (form.bigIcon) SendMessageW(form.hwnd, WM_SETICON, ICON_BIG, LPARAM(form.bigIcon.get()));
  if (form.smallIcon) SendMessageW(form.hwnd, WM_SETICON, ICON_SMALL, LPARAM(form.smallIcon.get()));
}

}  // namespace

FormEngine::FormEngine(HINSTANCE instance, std::vector<EventHandler> handlers)
    : instance_(instance), handlers_(std::move(handlers)) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  TransLabel::Register(instance_);
}

FormEngine::~FormEngine() {
  // Destroying a window erases its form, so they are taken from the back.
  while (!forms_.empty()) {
    Form* last = forms_.back().get();
    if (last->alive && IsWindow(last->hwnd)) DestroyWindow(last->hwnd);
    if (!forms_.empty() && forms_.back().get() == last) forms_.pop_back();
  }
}

bool FormEngine::LoadForm(uint32_t formId) {
  wchar_t name[32];
  swprintf(name, 32, L"FORM_%08X", formId);
  std::span<const uint8_t> bytes = ResourceBytes(name, MAKEINTRESOURCEW(10), instance_);
  return !bytes.empty() && LoadFormFromBytes(bytes);
}

HWND FormEngine::CreateFormWindow(Form& form) {
  const ControlRecord& wr = form.desc.records[0];
  const auto& win = std::get<WindowKindData>(wr.kindData);
  std::wstring className = FromGbk(win.className);
  if (className.empty()) className = kDefaultFormClass;
  if (!EnsureFormClass(instance_, className)) return nullptr;
  int x = wr.left, y = wr.top;
  if (win.settings[kWinStartPosition] == 1) {
    x = (GetSystemMetrics(SM_CXSCREEN) - wr.width) / 2;
    y = (GetSystemMetrics(SM_CYSCREEN) - wr.height) / 2;
  }
  return CreateWindowExW(FormExStyle(win), className.c_str(), FromGbk(win.caption).c_str(),
                         FormStyle(win), x, y, wr.width, wr.height, nullptr, nullptr, instance_,
                         &form);
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

bool FormEngine::LoadFormFromBytes(std::span<const uint8_t> description) {
  auto owned = std::make_unique<Form>();
  Form& form = *owned;
  form.engine = this;
  if (!ReadFormDescription(description, form.desc)) return false;
  const FormDescription& d = form.desc;
  if (d.records.empty() || d.records[0].kind != kKindWindow || !d.records[0].kindDataOk ||
      !std::holds_alternative<WindowKindData>(d.records[0].kindData))
    return false;
  const auto& win = std::get<WindowKindData>(d.records[0].kindData);
  form.controls.resize(d.records.size());
  form.escCloses = win.settings[kWinEscCloses] != 0;
  LOGFONTW lf = DefaultLogFont(14);
  form.defaultFont.reset(CreateFontIndirectW(&lf));
  // Page headers in a smaller face, so they stay within a category row laid over them.
  lf = DefaultLogFont(12);
  form.headerFont.reset(CreateFontIndirectW(&lf));

  // The form joins the list only once its window exists: a creation that fails after
  // WM_NCCREATE has already run the window's WM_NCDESTROY, and the list holds nothing of it.
  HWND hwnd = CreateFormWindow(form);
  if (!hwnd) return false;
  forms_.push_back(std::move(owned));
  form.controls[0].hwnd = hwnd;
  form.controls[0].visible = (d.records[0].flags & kFlagVisible) != 0;
  SetFormIcons(form, win.icon);

  std::vector<uint8_t> state(d.records.size(), 0);
  for (size_t i = 1; i < d.records.size(); ++i) CreateControl(form, i, state);
  // Controls lying over a tab control (the category row) stay above it.
  for (size_t i = 1; i < d.records.size(); ++i)
    if (d.records[i].kind == kKindTab && form.controls[i].hwnd)
      SetWindowPos(form.controls[i].hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  RaiseEvent(form, 0, kEventWindowCreated);
  // The created event may have destroyed the window, and with it the form.
  if (Form* still = FormOf(hwnd); still && still->controls[0].visible && !still->visibilityWritten)
    ShowWindow(hwnd, SW_SHOW);
  return true;
}

Form* FormEngine::FindForm(uint32_t formId) const {
  for (auto it = forms_.rbegin(); it != forms_.rend(); ++it)
    if ((*it)->alive && (*it)->formId() == formId) return it->get();
  return nullptr;
}

bool FormEngine::IsLoaded(uint32_t formId) const { return FindForm(formId) != nullptr; }

HWND FormEngine::WindowHandle(uint32_t formId, uint32_t controlId) const {
  Form* f = FindForm(formId);
  if (!f) return nullptr;
  int i = f->recordOf(controlId);
  return i >= 0 ? f->controls[size_t(i)].hwnd : nullptr;
}

size_t FormEngine::LiveFormCount() const {
  return size_t(std::count_if(forms_.begin(), forms_.end(), [](auto& f) { return f->alive; }));
}

bool FormEngine::SetProperty(uint32_t formId, uint32_t controlId, uint32_t index, int32_t,
                             int32_t value) {
  Form* f = FindForm(formId);
  int i = f ? f->recordOf(controlId) : -1;
  if (i < 0) return false;
  ControlInstance& c = f->controls[size_t(i)];
  HWND h = c.hwnd;
  if (!h) return false;
  if (IsGeometry(index)) {
    int v[4];
    f->geometry(size_t(i), v);
    v[index] = value;
    SetWindowPos(h, nullptr, v[0], v[1], v[2], v[3], SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
  }
  switch (index) {
    case kPropTag: c.tag = value; return true;
    case kPropCursor: c.cursor = value; return true;
    case kPropVisible:
      c.visible = value != 0;
      if (i == 0) {
        f->visibilityWritten = true;
        ShowWindow(h, c.visible ? SW_SHOW : SW_HIDE);
      } else {
        f->applyVisibility(size_t(i));
      }
      return true;
    case kPropDisabled: EnableWindow(h, value == 0); return true;
    case kPropTabCurrentPage:
      if (f->desc.records[size_t(i)].kind != kKindTab) return false;
      SendMessageW(h, TCM_SETCURSEL, WPARAM(value), 0);
      f->applyPages(size_t(i));
      return true;
  }
  return false;
}

bool FormEngine::GetProperty(uint32_t formId, uint32_t controlId, uint32_t index, int32_t,
                             int32_t& value) const {
  Form* f = FindForm(formId);
  int i = f ? f->recordOf(controlId) : -1;
  if (i < 0 || !f->controls[size_t(i)].hwnd) return false;
  const ControlInstance& c = f->controls[size_t(i)];
  if (IsGeometry(index)) {
    int v[4];
    f->geometry(size_t(i), v);
    value = v[index];
    return true;
  }
  switch (index) {
    case kPropTag: value = c.tag; return true;
    case kPropCursor: value = c.cursor; return true;
    case kPropVisible: value = c.visible; return true;
    case kPropDisabled: value = !IsWindowEnabled(c.hwnd); return true;
    case kPropTabCurrentPage:
      if (f->desc.records[size_t(i)].kind != kKindTab) return false;
      value = f->currentPage(size_t(i));
      return true;
  }
  return false;
}

void FormEngine::RequestDestroy(uint32_t formId) {
  if (Form* f = FindForm(formId)) {
    f->destroyRequested = true;
    PostMessageW(f->hwnd, kMsgDestroyRequest, 0, 0);
  }
}

bool FormEngine::IsClosing(uint32_t formId) const {
  const Form* f = FindForm(formId);
  return !f || f->closing || f->destroyRequested;
}

bool FormEngine::RaiseEvent(Form& form, size_t record, uint32_t event) {
  for (const EventBinding& b : form.desc.records[record].events) {
    if (b.event == event && b.handler < handlers_.size() && handlers_[b.handler]) {
      handlers_[b.handler](*this);
      return true;
    }
  }
  return false;
}

namespace {

BOOL CALLBACK CollectTabStop(HWND h, LPARAM lp) {
  if ((GetWindowLongW(h, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(h) && IsWindowEnabled(h))
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
  return TRUE;
}

// The next (or previous) tab stop of the form after `from`, those inside its containers
// included, in creation order; the first when the focus is on none of them.
HWND NextTabStop(HWND root, HWND from, bool back) {
  std::vector<HWND> stops;
  EnumChildWindows(root, CollectTabStop, LPARAM(&stops));
  if (stops.empty()) return nullptr;
  const size_t n = stops.size();
  const size_t at = size_t(std::find(stops.begin(), stops.end(), from) - stops.begin());
  if (at == n) return stops[back ? n - 1 : 0];
  return stops[back ? (at + n - 1) % n : (at + 1) % n];
}

}  // namespace

bool FormEngine::Translate(MSG& msg) {
  // Tab and Shift+Tab move the focus through a form's tab stops.
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB) {
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    for (auto& f : forms_)
      if (f->alive && f->hwnd == root) {
        if (HWND next = NextTabStop(root, GetFocus(), GetKeyState(VK_SHIFT) < 0)) SetFocus(next);
        return true;
      }
  }
  // Esc anywhere in a form whose Esc-closes setting is on raises its close query.
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    for (auto& f : forms_)
      if (f->alive && f->hwnd == root && f->escCloses) {
        PostMessageW(root, WM_CLOSE, 0, 0);
        return true;
      }
  }
  return false;
}

void FormEngine::ProcessPendingEvents() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(int(msg.wParam));  // leave it for the message loop
      return;
    }
    if (Translate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

int FormEngine::RunMessageLoop() {
  if (LiveFormCount() == 0) return 0;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (Translate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return int(msg.wParam);
}

LRESULT FormEngine::HandleFormMessage(Form& form, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (lp != 0 && HIWORD(wp) == BN_CLICKED) {
        int i = form.recordOf(reinterpret_cast<HWND>(lp));
        if (i > 0 && form.desc.records[size_t(i)].kind == kKindButton)
          RaiseEvent(form, size_t(i), kEventButtonClick);
        return 0;
      }
      break;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      if (!hdr) break;
      int i = form.recordOf(hdr->hwndFrom);
      if (i > 0 && hdr->code == UINT(TCN_SELCHANGE) &&
          form.desc.records[size_t(i)].kind == kKindTab) {
        form.applyPages(size_t(i));
        RaiseEvent(form, size_t(i), kEventTabPageChanged);
        return 0;
      }
      break;
    }
    case WM_CTLCOLORSTATIC: {
      int i = form.recordOf(reinterpret_cast<HWND>(lp));
      if (i > 0 && form.desc.records[size_t(i)].kind == kKindGroupBox) {
        SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(form.groupBrush.get());
      }
      break;
    }
    case WM_CLOSE:
      // The close query decides; without a handler the window simply goes. A query still
      // running (a fade-out pumping messages) is not raised again by a second Esc or close:
      // the window would flash back to opaque.
      if (form.closing) return 0;
      form.closing = true;
      if (!RaiseEvent(form, 0, kEventWindowCloseQuery)) DestroyWindow(hwnd);
      // The handler may have pumped the destroy request through: the form may be gone.
      if (Form* still = FormOf(hwnd)) still->closing = false;
      return 0;
    case kMsgDestroyRequest:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY: {
      // A window that failed during its creation was never listed: the program's last
      // window is not gone, and a quit message would end the loop (or the start-up failure
      // box) of whoever runs next.
      const bool listed = std::any_of(forms_.begin(), forms_.end(),
                                      [&](auto& f) { return f.get() == &form; });
      form.alive = false;
      if (listed && LiveFormCount() == 0) PostQuitMessage(0);
      break;
    }
    case WM_NCDESTROY: {
      // The controls are gone by now: the form's fonts, icons, brush and labels go with it.
      LRESULT result = DefWindowProcW(hwnd, msg, wp, lp);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      EraseForm(&form);
      return result;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void FormEngine::EraseForm(const Form* form) {
  auto it = std::find_if(forms_.begin(), forms_.end(), [&](auto& f) { return f.get() == form; });
  if (it != forms_.end()) forms_.erase(it);
}

LRESULT CALLBACK FormWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    // A window of this class made by anyone but the engine carries no form: it is left to
    // the default procedure.
    if (auto* form = static_cast<Form*>(cs->lpCreateParams)) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(form));
      form->hwnd = hwnd;
      form->alive = true;
    }
  }
  auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!form || !form->engine) return DefWindowProcW(hwnd, msg, wp, lp);
  return form->engine->HandleFormMessage(*form, hwnd, msg, wp, lp);
}

void FormEngine::ShowStartupFailure(const wchar_t* reason) {
  std::wstring text = L"运行时出错!\r\n\r\n错误信息：";
  text += reason;
  MessageBoxW(nullptr, text.c_str(), L"SoundBoard", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace board
