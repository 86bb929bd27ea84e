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
      if (reinterpret_cast<NMHDR*>(lp)->hwndFrom != hwnd)
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

FormEngine::FormEngine(HINSTANCE instance, std::vector<EventHandler> handlers)
    : instance_(instance), handlers_(std::move(handlers)) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  TransLabel::Register(instance_);
}

FormEngine::~FormEngine() {
  for (auto& form : forms_)
    if (form->alive && IsWindow(form->hwnd)) DestroyWindow(form->hwnd);
}

bool FormEngine::LoadForm(uint32_t formId) {
  wchar_t name[32];
  swprintf(name, 32, L"FORM_%08X", formId);
  std::span<const uint8_t> bytes = ResourceBytes(name, MAKEINTRESOURCEW(10), instance_);
  return !bytes.empty() && LoadFormFromBytes(bytes);
}

bool FormEngine::LoadFormFromBytes(std::span<const uint8_t> description) {
  auto form = std::make_unique<Form>();
  form->engine = this;
  if (!ReadFormDescription(description, form->desc)) return false;
  FormDescription& d = form->desc;
  if (d.records.empty() || d.records[0].kind != kKindWindow || !d.records[0].kindDataOk)
    return false;
  const auto* win = std::get_if<WindowKindData>(&d.records[0].kindData);
  if (!win) return false;
  const ControlRecord& wr = d.records[0];
  form->controls.resize(d.records.size());
  form->escCloses = win->settings[kWinEscCloses] != 0;
  LOGFONTW lf = DefaultLogFont(14);
  form->defaultFont.reset(CreateFontIndirectW(&lf));
  // Page headers in a smaller face, so they stay within a category row laid over them.
  lf = DefaultLogFont(12);
  form->headerFont.reset(CreateFontIndirectW(&lf));

  // The window class: the stored name, or the runtime's own.
  std::wstring className = FromGbk(win->className);
  if (className.empty()) className = kDefaultFormClass;
  WNDCLASSEXW wc{sizeof(wc)};
  if (!GetClassInfoExW(instance_, className.c_str(), &wc)) {
    wc = WNDCLASSEXW{sizeof(wc)};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = FormWindowProc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className.c_str();
    if (!RegisterClassExW(&wc)) return false;
  }

  const bool bordered = win->settings[kWinBorder] != 0;
  DWORD style = WS_CLIPCHILDREN | (bordered ? WS_OVERLAPPED | WS_CAPTION : WS_POPUP);
  if (win->settings[kWinControlBox]) style |= WS_SYSMENU;
  if (win->settings[kWinMinButton]) style |= WS_MINIMIZEBOX;
  if (win->settings[kWinMaxButton]) style |= WS_MAXIMIZEBOX;
  if (bordered) style |= WS_THICKFRAME;
  DWORD exStyle = 0;
  if (win->settings[kWinInTaskbar]) exStyle |= WS_EX_APPWINDOW;
  if (win->settings[kWinTopMost]) exStyle |= WS_EX_TOPMOST;
  int x = wr.left, y = wr.top;
  if (win->settings[kWinStartPosition] == 1) {
    x = (GetSystemMetrics(SM_CXSCREEN) - wr.width) / 2;
    y = (GetSystemMetrics(SM_CYSCREEN) - wr.height) / 2;
  }

  Form* f = form.get();
  forms_.push_back(std::move(form));
  std::wstring caption = FromGbk(win->caption);
  HWND hwnd = CreateWindowExW(exStyle, className.c_str(), caption.c_str(), style, x, y, wr.width,
                              wr.height, nullptr, nullptr, instance_, f);
  if (!hwnd) {
    forms_.pop_back();
    return false;
  }
  f->controls[0].hwnd = hwnd;
  f->controls[0].visible = (wr.flags & kFlagVisible) != 0;

  // The window icon from the stored ICO file, at the two sizes the system shows.
  if (!win->icon.empty()) {
    auto iconOfSize = [&](int size) -> HICON {
      std::span<const uint8_t> image = FindIconImage(win->icon, size);
      if (image.empty()) return nullptr;
      return CreateIconFromResourceEx(const_cast<BYTE*>(image.data()), DWORD(image.size()), TRUE,
                                      0x00030000, size, size, LR_DEFAULTCOLOR);
    };
    f->bigIcon.reset(iconOfSize(GetSystemMetrics(SM_CXICON)));
    f->smallIcon.reset(iconOfSize(GetSystemMetrics(SM_CXSMICON)));
    if (f->bigIcon.get()) SendMessageW(hwnd, WM_SETICON, ICON_BIG, LPARAM(f->bigIcon.get()));
    if (f->smallIcon.get()) SendMessageW(hwnd, WM_SETICON, ICON_SMALL, LPARAM(f->smallIcon.get()));
  }

  // Controls; a container is created before the controls it holds.
  std::vector<int> state(d.records.size(), 0);  // 0 not yet, 1 creating, 2 done
  std::function<HWND(size_t)> create = [&](size_t i) -> HWND {
    if (state[i] == 2) return f->controls[i].hwnd;
    if (state[i] == 1) return nullptr;  // a container cycle: refuse
    state[i] = 1;
    const ControlRecord& r = d.records[i];
    ControlInstance& c = f->controls[i];
    c.visible = (r.flags & kFlagVisible) != 0;
    HWND parent = hwnd;
    if (r.container != 0 && r.container != wr.controlId) {
      int ci = f->recordOf(r.container);
      parent = ci > 0 ? create(size_t(ci)) : nullptr;
      if (ci > 0 && d.records[size_t(ci)].kind == kKindTab) {
        c.tab = size_t(ci);
        c.page = PageOfChild(d.records[size_t(ci)], r.controlId);
      }
    }
    state[i] = 2;
    if (!parent || !r.kindDataOk) return nullptr;

    // The container exists by now, its page selected: a control that starts on screen is
    // created visible, which saves a round of ShowWindow calls.
    DWORD base = WS_CHILD | WS_CLIPSIBLINGS | (f->onScreen(i) ? WS_VISIBLE : 0);
    if (r.flags & kFlagDisabled) base |= WS_DISABLED;
    if (r.flags & kFlagTabStop) base |= WS_TABSTOP;
    const HMENU id = reinterpret_cast<HMENU>(uintptr_t(r.controlId & 0xFFFF));
    HWND h = nullptr;
    auto alignBits = [](int32_t h, int32_t v) -> DWORD {
      DWORD bits = h == 0 ? BS_LEFT : h == 1 ? BS_CENTER : BS_RIGHT;
      bits |= v == 0 ? BS_TOP : v == 1 ? BS_VCENTER : BS_BOTTOM;
      return bits;
    };
    switch (r.kind) {
      case kKindButton: {
        ButtonKindData b;
        if (auto* p = std::get_if<ButtonKindData>(&r.kindData)) b = *p;
        DWORD style = base | BS_MULTILINE | (b.type == 1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) |
                      alignBits(b.hAlign, b.vAlign);
        if (!b.picture.empty()) style |= BS_BITMAP;
        h = CreateWindowExW(kControlExStyle, L"BUTTON", FromGbk(b.caption).c_str(), style, r.left, r.top,
                            r.width, r.height, parent, id, instance_, nullptr);
        break;
      }
      case kKindGroupBox: {
        // No kind data: left-aligned caption, no text, the button-face colour.
        h = CreateWindowExW(kControlExStyle, L"BUTTON", L"", base | BS_GROUPBOX | BS_LEFT, r.left, r.top,
                            r.width, r.height, parent, id, instance_, nullptr);
        f->groupBrush.reset(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
        break;
      }
      case kKindTab: {
        TabKindData t;
        if (auto* p = std::get_if<TabKindData>(&r.kindData)) t = *p;
        DWORD style = WS_CHILD | (base & (WS_DISABLED | WS_TABSTOP | WS_VISIBLE));
        if (t.headerPosition & 1) style |= TCS_BOTTOM;
        if (t.headerPosition & 2) style |= TCS_VERTICAL;
        if (t.multiLine) style |= TCS_MULTILINE;
        h = CreateWindowExW(kControlExStyle, WC_TABCONTROLW, L"", style, r.left, r.top, r.width, r.height,
                            parent, id, instance_, nullptr);
        if (!h) break;
        for (size_t p = 0; p < t.pageTitles.size(); ++p) {
          std::wstring title = FromGbk(t.pageTitles[p]);
          TCITEMW item{};
          item.mask = TCIF_TEXT;
          item.pszText = title.data();
          SendMessageW(h, TCM_INSERTITEMW, p, LPARAM(&item));
        }
        int last = int(t.pageTitles.size()) - 1;
        SendMessageW(h, TCM_SETCURSEL, std::clamp(t.currentPage, 0, std::max(last, 0)), 0);
        break;
      }
      case kKindTransLabel: {
        LabelKindData l;
        if (auto* p = std::get_if<LabelKindData>(&r.kindData)) l = *p;
        c.label = std::make_unique<TransLabel>(l);
        h = c.label->Create(instance_, parent, kControlExStyle, base, r.left, r.top, r.width, r.height, id);
        break;
      }
      default:
        // Kinds this program never shows (the hidden viewer) are not created.
        return nullptr;
    }
    if (!h) return nullptr;
    c.hwnd = h;
    if (r.kind != kKindTransLabel) {
      HFONT font = r.kind == kKindTab ? f->headerFont.get() : f->defaultFont.get();
      SendMessageW(h, WM_SETFONT, WPARAM(font), 0);
    }
    if (r.kind == kKindTab || r.kind == kKindGroupBox)
      SetWindowSubclass(h, ContainerSubclassProc, kContainerSubclassId, DWORD_PTR(hwnd));
    return h;
  };
  for (size_t i = 1; i < d.records.size(); ++i) create(i);
  // Controls lying over a tab control (the category row) stay above it.
  for (size_t i = 1; i < d.records.size(); ++i)
    if (d.records[i].kind == kKindTab && f->controls[i].hwnd)
      SetWindowPos(f->controls[i].hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  RaiseEvent(*f, 0, kEventWindowCreated);
  if (f->alive && f->controls[0].visible && !f->visibilityWritten) ShowWindow(hwnd, SW_SHOW);
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
  switch (index) {
    case kPropLeft:
    case kPropTop:
    case kPropWidth:
    case kPropHeight: {
      int v[4];
      f->geometry(size_t(i), v);
      v[index] = value;
      SetWindowPos(h, nullptr, v[0], v[1], v[2], v[3], SWP_NOZORDER | SWP_NOACTIVATE);
      return true;
    }
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
  switch (index) {
    case kPropLeft:
    case kPropTop:
    case kPropWidth:
    case kPropHeight: {
      int v[4];
      f->geometry(size_t(i), v);
      value = v[index];
      return true;
    }
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

bool FormEngine::Translate(MSG& msg) {
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
      form.closing = false;
      return 0;
    case kMsgDestroyRequest:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      form.alive = false;
      if (LiveFormCount() == 0) PostQuitMessage(0);
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK FormWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    auto* form = static_cast<Form*>(cs->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(form));
    form->hwnd = hwnd;
    form->alive = true;
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
