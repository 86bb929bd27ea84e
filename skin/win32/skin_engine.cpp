// The skinned windows' records: attaching a window, finding it by handle or index,
// releasing it, and keeping the index properties equal to list positions.
#include "skin/win32/skin_engine.h"

#include <algorithm>

#include "skin/win32/skin_window.h"
#include "skin/win32/button_skin.h"
#include "skin/win32/edit_skin.h"
#include "skin/win32/header_skin.h"
#include "skin/win32/list_skin.h"
#include "skin/win32/trackbar_skin.h"
#include "skin/win32/updown_skin.h"

namespace board {

SkinEngine* SkinEngine::instance_ = nullptr;

SkinEngine::SkinEngine(SkinArt art) : art_(art) {
  settings_.faceColour = GetSysColor(COLOR_BTNFACE);
  instance_ = this;
}

SkinEngine::~SkinEngine() {
  // Windows still skinned get their own procedures back.
  while (!windows_.empty()) ReleaseWindow(windows_.back()->window);
  if (instance_ == this) instance_ = nullptr;
}

int SkinEngine::IndexOf(HWND window) const {
  for (size_t i = 0; i < windows_.size(); ++i)
    if (windows_[i]->window == window) return int(i) + 1;
  return 0;
}

const SkinWindow* SkinEngine::Window(int index) const {
  return index >= 1 && size_t(index) <= windows_.size() ? windows_[size_t(index) - 1].get()
                                                          : nullptr;
}

bool SkinEngine::SetControlSkinning(int32_t enabled, OptInt alpha, OptInt option) {
  settings_.controlsEnabled = enabled;
  settings_.controlAlpha = alpha.value_or(160);
  settings_.controlAlphaGiven = alpha ? 1 : 0;
  settings_.controlOption = option.value_or(1);
  return true;
}

bool SkinEngine::AttachWindow(HWND window, int32_t captionHeight, int32_t,
                              const AttachWindowOptions& o) {
  if (!IsWindow(window) || IndexOf(window)) return false;
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  RECT client;
  GetClientRect(window, &client);
  auto w = std::make_unique<SkinWindow>();
  w->window = window;
  w->captionHeight = std::max<int>(captionHeight, kMinimumCaptionHeight);
  w->hasMinimize = (style & WS_MINIMIZEBOX) != 0;
  w->hasMaximize = (style & WS_MAXIMIZEBOX) != 0;
  w->interactive = o.interactive ? *o.interactive != 0 : true;
  w->captionDrag = o.captionDrag ? *o.captionDrag != 0 : true;
  w->showTitle = o.showTitle ? *o.showTitle != 0 : true;
  w->captionGloss = o.captionGloss && *o.captionGloss != 0;
  w->imageMode = o.imageMode ? ImageMode(*o.imageMode) : settings_.imageMode;
  w->maxTrack = {ScreenWidth(), ScreenHeight()};
  w->buttons = {
      {26, kCaptionButtonHeight, CaptionKind::kHelp, L"帮助", {}, {}},
      {26, kCaptionButtonHeight, CaptionKind::kMainMenu, L"主菜单", {}, {}},
      {26, kCaptionButtonHeight, CaptionKind::kMinimize, L"最小化", {}, {}},
      {26, kCaptionButtonHeight, CaptionKind::kMaximize, L"最大化", {}, {}},
      {38, kCaptionButtonHeight, CaptionKind::kClose, L"关闭", {}, {}},
  };
  SetWindowLongPtrW(window, GWL_STYLE, style | WS_SYSMENU);
  windows_.push_back(std::move(w));
  const int index = int(windows_.size());
  SkinWindow& sw = *windows_.back();
  if (!o.image.empty()) PrepareWindowPicture(sw, o.image, o.imageMode);

  sw.tooltip.Create(window);
  RegisterTooltips(sw, 0);
  LayoutCaptionStrip(index);
  if (o.itemCount && *o.itemCount > 0) {
    sw.items.texts = o.itemTexts;
    sw.items.texts.resize(size_t(o.itemCount.value_or(0)));
  }
  InstallControls(index, window);

  sw.fullRepaint = true;
  sw.previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProcEntry)));
  SetPropW(window, kPropProc, reinterpret_cast<HANDLE>(sw.previous));
  SetPropW(window, kPropIndex, reinterpret_cast<HANDLE>(intptr_t(index)));
  InvalidateRect(window, nullptr, FALSE);
  return true;
}

void SkinEngine::InstallControls(int index, HWND parent) {
  if (!settings_.controlsEnabled || !Window(index)) return;
  InstallButtons(*this, index, parent);
  InstallEdits(*this, index, parent);
  InstallTrackbars(*this, index, parent);
  InstallProgressBars(*this, index, parent);
  InstallListControls(*this, index, parent);
  InstallUpDowns(*this, index, parent);
  InstallHeaders(*this, index, parent);
}

HWND SkinEngine::WindowAt(int index) const {
  const SkinWindow* w = Window(index);
  return w ? w->window : nullptr;
}

SkinControls* SkinEngine::ControlsOf(int index) {
  return Window(index) ? &windows_[size_t(index) - 1]->controls : nullptr;
}

int SkinEngine::SkinnedAncestor(HWND window) const {
  for (HWND h = window; h; h = GetParent(h))
    if (int index = IndexOf(h)) return index;
  return 0;
}

void SkinEngine::ReleaseWindow(HWND window) {
  const int index = IndexOf(window);
  if (!index) return;
  SkinWindow& w = *windows_[size_t(index) - 1];
  if (IsWindow(window)) {
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) == &WindowProcEntry)
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(w.previous));
    KillTimer(window, reinterpret_cast<UINT_PTR>(window));
    KillTimer(window, kSettleTimer);
    for (const wchar_t* p : {kPropIndex, kPropProc, kPropOriginalBitmap, kPropBufferBitmap})
      RemovePropW(window, p);
  }
  windows_.erase(windows_.begin() + (index - 1));
  Renumber();
}

// Index properties stay equal to list positions: the windows' own and their controls'.
void SkinEngine::Renumber() {
  for (size_t j = 0; j < windows_.size(); ++j) {
    SetPropInt(windows_[j]->window, kPropIndex, intptr_t(j + 1));
    windows_[j]->controls.ForEachControl([j](HWND control, const wchar_t* windowProp) {
      if (IsWindow(control)) SetPropInt(control, windowProp, intptr_t(j + 1));
    });
  }
}

}  // namespace board
