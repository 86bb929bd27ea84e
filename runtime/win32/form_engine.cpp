// The form engine's forms: loading a description, creating its window and controls,
// finding forms and controls, raising their events.
#include <algorithm>

#include "base/win32/gbk_text.h"
#include "base/win32/resource_bytes.h"
#include "runtime/icon_file.h"
#include "runtime/win32/form_internal.h"

namespace board {
namespace {

constexpr wchar_t kDefaultFormClass[] = L"BoardForm";

// The window's other stored settings (picture mode, background colour, picture and music,
// movable, Enter and F1 keys, help, drag by any point, shape, keep the caption active) are
// carried and not acted on: the program's form leaves them at their defaults, and its skin
// paints the background and moves the window.
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

bool FormEngine::LoadForm(uint32_t formId, HWND owner) {
  wchar_t name[32];
  swprintf(name, 32, L"FORM_%08X", formId);
  std::span<const uint8_t> bytes = ResourceBytes(name, MAKEINTRESOURCEW(10), instance_);
  return !bytes.empty() && LoadFormFromBytes(bytes, owner);
}

HWND FormEngine::CreateFormWindow(Form& form, HWND owner) {
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
                         FormStyle(win), x, y, wr.width, wr.height, owner, nullptr, instance_,
                         &form);
}

bool FormEngine::LoadFormFromBytes(std::span<const uint8_t> description, HWND owner) {
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
  MakeControlFonts(form);

  // The form joins the list only once its window exists: a creation that fails after
  // WM_NCCREATE has already run the window's WM_NCDESTROY, and the list holds nothing of it.
  HWND hwnd = CreateFormWindow(form, owner);
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

void FormEngine::ShowStartupFailure(const wchar_t* reason) {
  std::wstring text = L"运行时出错!\r\n\r\n错误信息：";
  text += reason;
  MessageBoxW(nullptr, text.c_str(), L"SoundBoard", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace board
