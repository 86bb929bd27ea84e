#include "skin/win32/skin_engine.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "skin/background_layout.h"
#include "skin/colour.h"
#include "skin/win32/button_skin.h"
#include "skin/win32/edit_skin.h"
#include "skin/win32/gdiplus_objects.h"
#include "skin/win32/header_skin.h"
#include "skin/win32/list_skin.h"
#include "skin/win32/skin_drawing.h"
#include "skin/win32/trackbar_skin.h"
#include "skin/win32/updown_skin.h"

namespace board {

using gp::PointF;
using gp::RectF;

namespace {

// A skinned window's own index and procedure live in the names its controls use.
constexpr const wchar_t* kPropIndex = kPropListIndex;
constexpr const wchar_t* kPropProc = kPropPreviousProc;
constexpr wchar_t kPropOriginalBitmap[] = L"Ck_Ycjdx";
constexpr wchar_t kPropBufferBitmap[] = L"Ck_wtjbdx";
constexpr int kMinimumCaptionHeight = 25;
constexpr COLORREF kMagenta = 0xFF00FF;

gp::ARGB White(int alpha) { return ToArgb(0xFFFFFF, alpha); }
gp::ARGB Black(int alpha) { return ToArgb(0, alpha); }

// Signed client coordinates of a mouse message.
int XOf(LPARAM lp) { return int(short(LOWORD(lp))); }
int YOf(LPARAM lp) { return int(short(HIWORD(lp))); }

int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }
// The screen less the taskbar, when there is one.
int WorkHeight() {
  int height = ScreenHeight();
  if (HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr)) {
    RECT r;
    if (GetWindowRect(tray, &r)) height -= r.bottom - r.top;
  }
  return height;
}

const wchar_t* CursorOfEdge(int edge) {
  switch (edge) {
    case 1: case 2: return IDC_SIZEWE;
    case 3: case 6: return IDC_SIZENS;
    case 4: case 8: return IDC_SIZENWSE;
    case 5: case 7: return IDC_SIZENESW;
  }
  return IDC_ARROW;
}

}  // namespace

// A picture decoded once and kept with its size.
class DecodedImage {
 public:
  static std::unique_ptr<DecodedImage> FromBytes(std::span<const uint8_t> bytes) {
    if (bytes.empty()) return nullptr;
    // The bitmap keeps the stream it was decoded from; drawing it decodes nothing again.
    auto bitmap = std::make_unique<gp::Bitmap>(gp::Bitmap::FromByteSet(bytes));
    const int w = int(bitmap->Width()), h = int(bitmap->Height());
    if (w <= 0 || h <= 0) return nullptr;
    return std::unique_ptr<DecodedImage>(new DecodedImage(std::move(bitmap), w, h));
  }
  gp::Bitmap& get() const { return *bitmap_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  DecodedImage(std::unique_ptr<gp::Bitmap> bitmap, int width, int height)
      : bitmap_(std::move(bitmap)), width_(width), height_(height) {}
  std::unique_ptr<gp::Bitmap> bitmap_;
  int width_, height_;
};

// A window's back buffer: a 32-bit top-down DIB in a memory DC, the bitmap first selected
// in the DC kept to be put back before either goes.
class BackBuffer {
 public:
  ~BackBuffer() { Free(); }
  bool Ensure(HWND window, int width, int height) {
    if (dc_ && width == width_ && height == height_) return true;
    if (!dc_) {
      ScopedGetDc screen(window);
      dc_.reset(CreateCompatibleDC(screen.get()));
      if (!dc_) return false;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    ScopedBitmap next(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!next) return false;
    HGDIOBJ previous = SelectObject(dc_.get(), next.get());
    if (!original_) {
      original_ = previous;
      SetPropW(window, kPropOriginalBitmap, original_);
    }
    bitmap_ = std::move(next);  // the previous back-buffer bitmap is deleted here
    SetPropW(window, kPropBufferBitmap, bitmap_.get());
    bits_ = static_cast<uint32_t*>(bits);
    width_ = width;
    height_ = height;
    surface_ = std::make_unique<gp::Bitmap>(gp::Bitmap::FromScan0(
        width, height, width * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(bits_)));
    return true;
  }
  void Free() {
    surface_.reset();
    if (dc_ && original_) SelectObject(dc_.get(), original_);
    bitmap_.reset();
    dc_.reset();
    original_ = nullptr;
    bits_ = nullptr;
  }
  HDC dc() const { return dc_.get(); }
  gp::Bitmap& surface() const { return *surface_; }
  uint32_t* bits() const { return bits_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  ScopedMemoryDc dc_;
  ScopedBitmap bitmap_;
  HGDIOBJ original_ = nullptr;
  uint32_t* bits_ = nullptr;
  int width_ = 0, height_ = 0;
  std::unique_ptr<gp::Bitmap> surface_;
};

struct SkinWindow {
  HWND window = nullptr;
  int captionHeight = kMinimumCaptionHeight;
  int optionA = 0, optionB = 0;
  bool hasMinimize = false, hasMaximize = false;
  bool showTitle = true, captionGloss = false, captionDrag = true, interactive = true;
  WNDPROC previous = nullptr;
  int imageMode = 4;
  std::vector<CaptionButton> buttons;
  StripRect strip;
  bool maximised = false, minimised = false;
  SIZE minTrack{200, 150}, maxTrack{0, 0};
  COLORREF titleColour = 0xFFFFFF, outlineColour = 0x808080;
  std::wstring fontName = L"宋体";
  int fontSize = 12, outlineWidth = 1;
  HoverFade hover;
  int pressed = 0;  // the caption button under the last press
  std::function<void()> helpHandler, menuHandler;
  HWND tooltip = nullptr;
  bool fullRepaint = true;
  BackBuffer buffer;
  std::vector<uint32_t> snapshot;  // the composed background, for partial redraws
  std::unique_ptr<gp::Bitmap> scaled;  // the picture stretched to the client, for mode 3
  std::unique_ptr<DecodedImage> windowImage;  // the window's own picture, when it has one
  COLORREF windowColour = 0;
  std::vector<std::shared_ptr<const DecodedImage>> glyphs;  // the window's own caption glyphs
  struct ItemStrip {
    std::vector<std::wstring> texts;
    COLORREF fontColour = 0xFFFFFF;
    std::wstring fontName = L"宋体";
    int fontSize = 12;
  } items;
  std::vector<HWND> fillList;
  ComposedKey composedKey;              // what the snapshot was composed for
  struct ControlColour {
    ScopedBrush brush;
    ScopedBitmap bitmap;
  };
  std::vector<std::pair<HWND, ControlColour>> controlColours;
  SkinControls controls;

  ~SkinWindow() {
    if (tooltip) DestroyWindow(tooltip);
  }
};

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

SkinWindowState SkinEngine::State(int index) const {
  const SkinWindow* w = Window(index);
  if (!w) return {};
  return {true, w->captionHeight, w->maximised, w->minimised, w->fullRepaint, w->strip};
}

bool SkinEngine::SetControlSkinning(int32_t enabled, OptInt alpha, OptInt option) {
  settings_.controlsEnabled = enabled;
  settings_.controlAlpha = alpha.value_or(160);
  settings_.controlAlphaGiven = alpha ? 1 : 0;
  settings_.controlOption = option.value_or(1);
  return true;
}

bool SkinEngine::SetSkinImage(const wchar_t* fileName, std::span<const uint8_t> image,
                              OptInt faceColour, OptInt themeColour, OptInt mode) {
  if (themeColour.value_or(0) != -1) settings_.themeColour = COLORREF(themeColour.value_or(0xDDCA22));
  std::vector<uint8_t> source(image.begin(), image.end());
  if (fileName && *fileName && source.empty()) {
    UniqueHandle file(CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (file && GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 && size.QuadPart < (1 << 28)) {
      source.resize(size_t(size.QuadPart));
      DWORD read = 0;
      if (!ReadFile(file.get(), source.data(), DWORD(source.size()), &read, nullptr) || read != source.size())
        source.clear();
    }
  }
  const bool hasSource = !source.empty();
  if (!hasSource && !faceColour) return true;
  if (hasSource) {
    auto decoded = DecodedImage::FromBytes(source);
    if (faceColour) {
      settings_.faceColour = COLORREF(faceColour.value_or(0));
    } else if (decoded) {
      gp::Bitmap& b = decoded->get();
      settings_.faceColour = COLORREF(RepresentativeColour(
          {decoded->width(), decoded->height(), [&b](int x, int y) {
             gp::ARGB c = 0;
             b.GetPixel(x, y, &c);
             return uint32_t(c);
           }}) & 0xFFFFFF);
    }
    if (themeColour.value_or(0) == -1) settings_.themeColour = settings_.faceColour;
    settings_.imageMode = mode.value_or(4);
    settings_.skinImage = PreparePicture(source, settings_.faceColour, settings_.imageMode);
    background_ = settings_.skinImage == source ? std::move(decoded)
                                                : DecodedImage::FromBytes(settings_.skinImage);
  } else {
    settings_.skinImage.clear();
    background_.reset();
    settings_.faceColour = COLORREF(faceColour.value_or(0));
    if (themeColour.value_or(0) == -1) settings_.themeColour = settings_.faceColour;
  }
  ++pictureGeneration_;
  for (auto& w : windows_) {
    w->scaled.reset();
    w->fullRepaint = true;
    if (IsWindowVisible(w->window)) InvalidateRect(w->window, nullptr, FALSE);
  }
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
  w->optionA = o.optionA.value_or(0);
  w->optionB = o.optionB.value_or(0);
  w->hasMinimize = (style & WS_MINIMIZEBOX) != 0;
  w->hasMaximize = (style & WS_MAXIMIZEBOX) != 0;
  w->interactive = o.interactive ? *o.interactive != 0 : true;
  w->captionDrag = o.captionDrag ? *o.captionDrag != 0 : true;
  w->showTitle = o.showTitle ? *o.showTitle != 0 : true;
  w->captionGloss = o.captionGloss && *o.captionGloss != 0;
  w->imageMode = o.imageMode.value_or(settings_.imageMode);
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

  sw.tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, L"", TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
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
  InstallPushButtons(*this, index, parent);
  InstallCheckButtons(*this, index, parent);
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

void SkinEngine::RegisterTooltips(SkinWindow& w, size_t previousCount) {
  if (!w.tooltip) return;
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = w.window;
  for (size_t i = 0; i < previousCount; ++i) {
    tool.uId = i + 1;
    SendMessageW(w.tooltip, TTM_DELTOOLW, 0, LPARAM(&tool));
  }
  for (size_t i = 0; i < w.buttons.size(); ++i) {
    tool.uFlags = TTF_SUBCLASS;
    tool.uId = i + 1;
    tool.lpszText = w.buttons[i].tooltip.data();
    SendMessageW(w.tooltip, TTM_ADDTOOLW, 0, LPARAM(&tool));
  }
}

bool SkinEngine::AddCaptionButton(HWND window, std::span<const uint8_t> image,
                                  const std::wstring& tooltip, std::function<void()> handler) {
  const int index = IndexOf(window);
  if (!index) return false;
  SkinWindow& w = *windows_[size_t(index) - 1];
  CaptionButton button;
  button.tooltip = tooltip;
  button.handler = std::move(handler);
  button.glyph = DecodedImage::FromBytes(image);
  const size_t before = w.buttons.size();
  w.buttons.insert(w.buttons.begin(), std::move(button));
  RegisterTooltips(w, before);
  LayoutCaptionStrip(index);
  w.fullRepaint = true;
  InvalidateRect(window, nullptr, FALSE);
  return true;
}

bool SkinEngine::SetTitleStyle(HWND window, const TitleStyle& style) {
  const int index = IndexOf(window);
  if (!index) return false;
  SkinWindow& w = *windows_[size_t(index) - 1];
  if (style.fontName && *style.fontName) w.fontName = style.fontName;
  if (style.titleColour) w.titleColour = COLORREF(*style.titleColour);
  if (style.outlineColour) w.outlineColour = COLORREF(*style.outlineColour);
  if (style.fontSize && *style.fontSize > 0) w.fontSize = *style.fontSize;
  if (style.outlineWidth && *style.outlineWidth >= 0) w.outlineWidth = *style.outlineWidth;
  if (w.buffer.dc()) {
    ScopedGetDc dc(window);
    DrawCaption(w, dc.get(), nullptr);
  }
  return true;
}

bool SkinEngine::SetWindowImage(HWND window, std::span<const uint8_t> image, OptInt mode) {
  const int index = IndexOf(window);
  if (!index) return false;
  SkinWindow& w = *windows_[size_t(index) - 1];
  auto decoded = DecodedImage::FromBytes(image);
  if (!decoded) return false;
  gp::Bitmap& b = decoded->get();
  w.windowColour = COLORREF(RepresentativeColour({decoded->width(), decoded->height(), [&b](int x, int y) {
                                                    gp::ARGB c = 0;
                                                    b.GetPixel(x, y, &c);
                                                    return uint32_t(c);
                                                  }}) & 0xFFFFFF);
  w.imageMode = mode.value_or(settings_.imageMode);
  const std::vector<uint8_t> prepared = PreparePicture(image, w.windowColour, w.imageMode);
  w.windowImage = prepared.empty() ? std::move(decoded) : DecodedImage::FromBytes(prepared);
  w.scaled.reset();
  w.composedKey = {};
  w.fullRepaint = true;
  InvalidateRect(window, nullptr, FALSE);
  return true;
}

bool SkinEngine::SetCaptionButtonImages(HWND window, const SkinArt& images) {
  const int index = IndexOf(window);
  if (!index) return false;
  SkinWindow& w = *windows_[size_t(index) - 1];
  w.glyphs.clear();
  for (auto bytes : {images.help, images.menu, images.minimise, images.maximise, images.restore, images.close})
    w.glyphs.push_back(DecodedImage::FromBytes(bytes));
  w.fullRepaint = true;
  InvalidateRect(window, nullptr, FALSE);
  return true;
}

int SkinEngine::SkinnedAncestor(HWND window) const {
  for (HWND h = window; h; h = GetParent(h))
    if (int index = IndexOf(h)) return index;
  return 0;
}

HDC SkinEngine::CaptureBackground(HWND window, const RECT& rect) {
  const int width = std::max<int>(1, rect.right - rect.left);
  const int height = std::max<int>(1, rect.bottom - rect.top);
  ScopedGetDc screen(nullptr);
  BackgroundRecord record;
  record.dc.reset(CreateCompatibleDC(screen.get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  record.bitmap.reset(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!record.dc || !record.bitmap) return nullptr;
  record.original = SelectObject(record.dc.get(), record.bitmap.get());
  record.pixels = {static_cast<uint32_t*>(bits), width, height};
  if (const int index = SkinnedAncestor(window)) {
    const SkinWindow& w = *windows_[size_t(index) - 1];
    POINT origin{0, 0};
    if (w.window != window) MapWindowPoints(window, w.window, &origin, 1);
    if (w.buffer.dc())
      BitBlt(record.dc.get(), 0, 0, width, height, w.buffer.dc(), origin.x + rect.left,
             origin.y + rect.top, SRCCOPY);
    // The tints of the registered containers the rectangle lies in (the window itself when
    // it is one, and those holding it), outermost first, as the screen shows them.
    std::vector<HWND> holders;
    for (HWND h = window; h && h != w.window; h = GetParent(h)) holders.push_back(h);
    std::optional<gp::Graphics> g;
    for (auto it = holders.rbegin(); it != holders.rend(); ++it) {
      const ContainerRecord* c = w.controls.containers.At(w.controls.containers.Find(*it));
      // A clear tint (the board's) changes no pixel: no drawing at all, which is costly.
      if (!c || c->colour == 0 || c->alpha == 0) continue;
      RECT client;
      GetClientRect(*it, &client);
      POINT at{0, 0};
      MapWindowPoints(*it, window, &at, 1);
      const float x = float(at.x - rect.left), y = float(at.y - rect.top);
      const float cw = float(client.right), ch = float(client.bottom);
      if (!g) {
        g.emplace(gp::Graphics::FromHdc(record.dc.get()));
        g->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
      }
      const gp::SolidBrush tint(ToArgb(c->colour, c->alpha));
      if (c->isGroupBox) {
        gp::GraphicsPath shape;
        AddRoundRect(shape, x, y + 5, cw, ch - 6, 5);
        g->FillPath(tint, shape);
      } else {
        g->FillRectangle(tint, RectF(x, y, cw, ch));
      }
    }
    if (g) g->Flush();
  }
  HDC dc = record.dc.get();
  backgrounds_.push_back(std::move(record));
  return dc;
}

SkinEngine::BackgroundPixels SkinEngine::PixelsOf(HDC dc) const {
  for (const BackgroundRecord& r : backgrounds_)
    if (dc && r.dc.get() == dc) return r.pixels;
  return {};
}

int SkinEngine::FreeBackground(HDC dc) {
  auto it = std::find_if(backgrounds_.begin(), backgrounds_.end(),
                         [dc](const BackgroundRecord& r) { return dc && r.dc.get() == dc; });
  if (it == backgrounds_.end()) return 0;
  backgrounds_.erase(it);  // the record puts the original bitmap back and deletes the rest
  return 1;
}

HBITMAP SkinEngine::CaptureBackgroundBitmap(HWND control) {
  RECT client;
  GetClientRect(control, &client);
  HDC background = CaptureBackground(control, client);
  if (!background) return nullptr;
  const int width = std::max<int>(1, client.right), height = std::max<int>(1, client.bottom);
  // Washed with white at the control alpha, as the control painters show the skin.
  if (settings_.controlAlpha > 0) {
    gp::Graphics g = gp::Graphics::FromHdc(background);
    g.FillRectangle(gp::SolidBrush(White(settings_.controlAlpha)), RectF(0, 0, float(width), float(height)));
  }
  ScopedGetDc screen(nullptr);
  ScopedBitmap copy(CreateCompatibleBitmap(screen.get(), width, height));
  if (copy) {
    ScopedMemoryDc target(CreateCompatibleDC(screen.get()));
    ScopedSelectObject select(target.get(), copy.get());
    BitBlt(target.get(), 0, 0, width, height, background, 0, 0, SRCCOPY);
  }
  FreeBackground(background);
  return copy.release();
}

constexpr int kItemStripHeight = 22;

RECT SkinEngine::ItemStripRect(int index) const {
  const SkinWindow* w = Window(index);
  if (!w || w->items.texts.empty()) return {};
  RECT client;
  GetClientRect(w->window, &client);
  return {2, client.bottom - 3 - kItemStripHeight, client.right - 2, client.bottom - 3};
}

bool SkinEngine::SetItemStripStyle(HWND window, OptInt fontColour, const wchar_t* fontName, OptInt fontSize) {
  const int index = IndexOf(window);
  if (!index) return false;
  SkinWindow& w = *windows_[size_t(index) - 1];
  if (fontColour) w.items.fontColour = COLORREF(*fontColour);
  if (fontName && *fontName) w.items.fontName = fontName;
  if (fontSize && *fontSize > 0) w.items.fontSize = *fontSize;
  w.fullRepaint = true;
  InvalidateRect(window, nullptr, FALSE);
  return true;
}

bool SkinEngine::AddToFillList(HWND window, HWND child) {
  const int index = IndexOf(window);
  if (!index || !IsWindow(child)) return false;
  windows_[size_t(index) - 1]->fillList.push_back(child);
  LayoutOnSize(index);
  return true;
}

void SkinEngine::LayoutOnSize(int index) {
  if (!Window(index)) return;
  SkinWindow& w = *windows_[size_t(index) - 1];
  RECT client;
  GetClientRect(w.window, &client);
  const int stripHeight = w.items.texts.empty() ? 0 : kItemStripHeight;
  std::erase_if(w.fillList, [](HWND h) { return !IsWindow(h); });
  for (HWND child : w.fillList) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, w.window, reinterpret_cast<POINT*>(&r), 2);
    const int bottom = client.bottom - stripHeight - 3;
    SetWindowPos(child, nullptr, 2, r.top, client.right - 4, std::max<int>(0, bottom - r.top),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// The items side by side from the left, in their own colour over a faint dark band.
void SkinEngine::DrawItemStrip(SkinWindow& w) {
  if (w.items.texts.empty() || !w.buffer.bits()) return;
  const RECT r = ItemStripRect(IndexOf(w.window));
  gp::Graphics g = gp::Graphics::FromImage(w.buffer.surface());
  g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
  const RectF band(float(r.left), float(r.top), float(r.right - r.left), float(r.bottom - r.top));
  g.FillRectangle(gp::SolidBrush(Black(60)), band);
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(w.items.fontSize, GetDeviceCaps(w.buffer.dc(), LOGPIXELSY), 72);
  lf.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(lf.lfFaceName, w.items.fontName.c_str(), LF_FACESIZE - 1);
  const gp::Font font = gp::Font::FromLogfont(w.buffer.dc(), lf);
  const gp::SolidBrush brush(ToArgb(w.items.fontColour));
  float x = band.X + 8;
  for (const std::wstring& text : w.items.texts) {
    RectF bounds;
    g.MeasureString(text, font, RectF(0, 0, 1000, band.Height), nullptr, &bounds);
    g.DrawString(text, font, RectF(x, band.Y + 3, bounds.Width + 2, band.Height - 3), nullptr, brush);
    x += bounds.Width + 16;
  }
  g.Flush();
}

StripRect SkinEngine::GetCaptionStripRect(HWND window) const {
  const int index = IndexOf(window);
  return index ? windows_[size_t(index) - 1]->strip : StripRect{};
}

std::vector<uint8_t> SkinEngine::PreparePicture(std::span<const uint8_t> source, COLORREF colour,
                                                int mode) const {
  if (mode == 0 || mode == 1) {
    std::vector<uint8_t> blended = BlendImageEdge(source, colour, 0, mode == 1);
    if (!blended.empty()) return blended;
  }
  return {source.begin(), source.end()};
}

std::vector<uint8_t> SkinEngine::BlendImageEdge(std::span<const uint8_t> image, COLORREF colour,
                                                int band, bool leftSide) {
  gp::Bitmap source = gp::Bitmap::FromByteSet(image);
  const int w = int(source.Width()), h = int(source.Height());
  if (w <= 0 || h <= 0) return {};
  gp::Bitmap out = gp::Bitmap::FromScan0(w, h);
  {
    gp::Graphics g = gp::Graphics::FromImage(out);
    g.DrawImage(source, RectF(0, 0, float(w), float(h)));
    const float b = float(band > 0 ? band : int(0.3 * w));
    const float fw = float(w), fh = float(h);
    // The gradients start a pixel early so that their first row is not wrapped round.
    if (leftSide)
      g.FillRectangle(gp::LinearGradientBrush::FromPoints(PointF(-1, 0), PointF(b, 0), ToArgb(colour, 255), White(0)),
                      RectF(0, 0, b, fh));
    else
      g.FillRectangle(gp::LinearGradientBrush::FromPoints(PointF(fw - b - 1, 0), PointF(fw + 1, 0), White(0), ToArgb(colour, 255)),
                      RectF(fw - b, 0, b, fh));
    g.FillRectangle(gp::LinearGradientBrush::FromPoints(PointF(0, fh - b - 1), PointF(0, fh + 1), ToArgb(colour, 0), ToArgb(colour, 255)),
                    RectF(0, fh - b, fw, b));
    g.Flush();
  }
  return out.SaveToBytes(gp::kPngFormat);
}

void SkinEngine::SetHelpHandler(HWND window, std::function<void()> handler) {
  if (int i = IndexOf(window)) windows_[size_t(i) - 1]->helpHandler = std::move(handler);
}
void SkinEngine::SetMenuHandler(HWND window, std::function<void()> handler) {
  if (int i = IndexOf(window)) windows_[size_t(i) - 1]->menuHandler = std::move(handler);
}

void SkinEngine::ReleaseWindow(HWND window) {
  const int index = IndexOf(window);
  if (!index) return;
  SkinWindow& w = *windows_[size_t(index) - 1];
  if (IsWindow(window)) {
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) == &WindowProcEntry)
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(w.previous));
    KillTimer(window, reinterpret_cast<UINT_PTR>(window));
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

void SkinEngine::LayoutCaptionStrip(int index) {
  if (!Window(index)) return;
  SkinWindow& w = *windows_[size_t(index) - 1];
  RECT client;
  GetClientRect(w.window, &client);
  std::vector<int> widths;
  for (const CaptionButton& b : w.buttons) widths.push_back(b.width);
  w.strip = PlaceCaptionStrip(client.right, CaptionStripWidth(widths));
  for (size_t i = 0; i < w.buttons.size(); ++i) {
    CaptionButton& b = w.buttons[i];
    b.box = CaptionButtonBox(w.strip, int(i) + 1, b.kind);
    if (!w.tooltip) continue;
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = w.window;
    tool.uId = i + 1;
    tool.rect = {LONG(b.box.x), LONG(b.box.y), LONG(b.box.x + b.box.width), LONG(b.box.y + b.box.height)};
    SendMessageW(w.tooltip, TTM_NEWTOOLRECTW, 0, LPARAM(&tool));
  }
}

int SkinEngine::HitCaptionButton(int index, int x, int y) const {
  const SkinWindow* w = Window(index);
  if (!w) return 0;
  std::vector<BoxF> boxes;
  for (const CaptionButton& b : w->buttons) boxes.push_back(b.box);
  return HitCaptionBox(boxes, float(x), float(y));
}

int SkinEngine::FindMaximizeButton(int index) const {
  const SkinWindow* w = Window(index);
  if (!w) return 0;
  for (size_t i = 0; i < w->buttons.size(); ++i)
    if (w->buttons[i].kind == CaptionKind::kMaximize) return int(i) + 1;
  return 0;
}

void SkinEngine::RunCaptionButton(int index, int button) {
  if (!Window(index) || button < 1 || size_t(button) > windows_[size_t(index) - 1]->buttons.size())
    return;
  SkinWindow& w = *windows_[size_t(index) - 1];
  HWND window = w.window;
  switch (w.buttons[size_t(button) - 1].kind) {
    case CaptionKind::kClose:
      SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case CaptionKind::kMaximize:
      w.fullRepaint = true;
      if (w.maximised) {
        w.maximised = w.minimised = false;
        SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
      } else {
        w.maximised = true;
        w.minimised = false;
        SendMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
      }
      break;
    case CaptionKind::kMinimize:
      w.minimised = true;
      SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
      break;
    case CaptionKind::kMainMenu:
      if (w.menuHandler) w.menuHandler();
      break;
    case CaptionKind::kHelp:
      if (w.helpHandler) w.helpHandler();
      break;
    case CaptionKind::kCustom:
      if (w.buttons[size_t(button) - 1].handler) w.buttons[size_t(button) - 1].handler();
      break;
  }
}

const DecodedImage* SkinEngine::GlyphOf(const SkinWindow& w, const CaptionButton& b) const {
  if (glyphs_.empty()) {
    auto& glyphs = const_cast<std::vector<std::unique_ptr<DecodedImage>>&>(glyphs_);
    for (auto bytes : {art_.help, art_.menu, art_.minimise, art_.maximise, art_.restore, art_.close})
      glyphs.push_back(DecodedImage::FromBytes(bytes));
  }
  size_t slot = 0;
  switch (b.kind) {
    case CaptionKind::kHelp: slot = 0; break;
    case CaptionKind::kMainMenu: slot = 1; break;
    case CaptionKind::kMinimize: slot = 2; break;
    case CaptionKind::kMaximize: slot = w.maximised ? 4 : 3; break;  // restore while maximised
    case CaptionKind::kClose: slot = 5; break;
    case CaptionKind::kCustom: return b.glyph.get();
  }
  if (slot < w.glyphs.size() && w.glyphs[slot]) return w.glyphs[slot].get();
  return glyphs_[slot].get();
}

void SkinEngine::PaintBackground(SkinWindow& w, void* graphicsHandle) {
  gp::Graphics& g = *static_cast<gp::Graphics*>(graphicsHandle);
  const int cw = w.buffer.width(), ch = w.buffer.height();
  const RectF client(0, 0, float(cw), float(ch));
  const DecodedImage* picture = w.windowImage ? w.windowImage.get() : background_.get();
  g.FillRectangle(gp::SolidBrush(ToArgb(w.windowImage ? w.windowColour : settings_.faceColour)), client);
  if (picture) {
    const int mode = w.imageMode;
    if (mode == 3) {
      // The stretched picture is scaled once per client size, not on every repaint.
      if (!w.scaled || int(w.scaled->Width()) != cw || int(w.scaled->Height()) != ch) {
        w.scaled = std::make_unique<gp::Bitmap>(gp::Bitmap::FromScan0(cw, ch, 0, PixelFormat32bppPARGB));
        gp::Graphics s = gp::Graphics::FromImage(*w.scaled);
        s.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        s.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        s.DrawImage(picture->get(), client);
      }
      g.DrawImage(*w.scaled, client);
    } else {
      for (const DestRect& d : PlaceBackground(mode, picture->width(), picture->height(), cw, ch))
        g.DrawImage(picture->get(), RectF(float(d.x), float(d.y), float(d.width), float(d.height)));
    }
  }
  if (w.captionGloss) {
    auto gloss = gp::LinearGradientBrush::FromPoints(PointF(0, 0), PointF(0, float(w.captionHeight)),
                                                     White(150), White(0));
    g.FillRectangle(gloss, RectF(0, 0, float(cw), float(w.captionHeight)));
  }
  g.Flush();
  // Magenta outside the rounded shape (corners of radius 2), written straight into the
  // pixels: clipping every draw to a rounded path costs more than the whole picture.
  constexpr int kRadius = 2;
  uint32_t* bits = w.buffer.bits();
  for (int dy = 0; dy < kRadius; ++dy)
    for (int dx = 0; dx < kRadius; ++dx) {
      const double ox = kRadius - (dx + 0.5), oy = kRadius - (dy + 0.5);
      if (ox * ox + oy * oy <= double(kRadius * kRadius)) continue;
      for (auto [x, y] : {std::pair{dx, dy}, {cw - 1 - dx, dy}, {dx, ch - 1 - dy}, {cw - 1 - dx, ch - 1 - dy}})
        if (x >= 0 && y >= 0 && x < cw && y < ch) bits[size_t(y) * cw + x] = 0xFF000000u | kMagenta;
    }
}

void SkinEngine::PaintBorder(SkinWindow& w, void* graphicsHandle) {
  gp::Graphics& g = *static_cast<gp::Graphics*>(graphicsHandle);
  const float width = float(w.buffer.width()), height = float(w.buffer.height());
  gp::GraphicsPath outer, inner;
  AddRoundRect(outer, 0, 0, width - 1, height - 1, 7);
  AddRoundRect(inner, 1, 1, width - 3, height - 3, 6);
  g.DrawPath(gp::Pen(Black(180), 1), outer);
  g.DrawPath(gp::Pen(White(180), 1), inner);
  g.Flush();
}

void SkinEngine::DrawCaption(SkinWindow& w, HDC target, const wchar_t* title) {
  if (!w.buffer.bits()) return;
  // The caption band left of the strip goes back to the background first.
  const int right = std::max(0, std::min(w.strip.left - 2, w.buffer.width()));
  const int bottom = std::min(w.captionHeight, w.buffer.height());
  for (int y = 0; y < bottom; ++y)
    std::memcpy(w.buffer.bits() + size_t(y) * w.buffer.width(), w.snapshot.data() + size_t(y) * w.buffer.width(),
                size_t(right) * 4);
  if (art_.appIcon)
    DrawIconEx(w.buffer.dc(), kResizeBorder + 6, kResizeBorder + 2, art_.appIcon, 17, 17, 0, nullptr, DI_NORMAL);
  std::wstring text;
  if (title) {
    text = title;
  } else {
    text.resize(size_t(GetWindowTextLengthW(w.window)) + 1);
    text.resize(size_t(GetWindowTextW(w.window, text.data(), int(text.size()))));
  }
  if (w.showTitle && !text.empty()) {
    // The title face goes through GDI's font mapping, so a substituted "宋体" is found too.
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(w.fontSize, GetDeviceCaps(w.buffer.dc(), LOGPIXELSY), 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;
    wcsncpy(lf.lfFaceName, w.fontName.c_str(), LF_FACESIZE - 1);
    gp::Graphics g = gp::Graphics::FromImage(w.buffer.surface());
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    const gp::Font font = gp::Font::FromLogfont(w.buffer.dc(), lf);
    const gp::SolidBrush outline(ToArgb(w.outlineColour)), fill(ToArgb(w.titleColour));
    const float x = float(kResizeBorder + 6 + 17 + 6), y = float(kResizeBorder + 3);
    const float o = float(w.outlineWidth);
    g.SetClip(RectF(0, 0, float(right), float(bottom)));
    const float layoutWidth = float(right) - x + o, layoutHeight = float(bottom);
    for (auto [dx, dy] : {std::pair{-o, 0.0f}, {o, 0.0f}, {0.0f, -o}, {0.0f, o}})
      g.DrawString(text, font, RectF(x + dx, y + dy, layoutWidth, layoutHeight), nullptr, outline);
    g.DrawString(text, font, RectF(x, y, layoutWidth, layoutHeight), nullptr, fill);
    g.Flush();
  }
  if (target) BitBlt(target, 0, 0, right, bottom, w.buffer.dc(), 0, 0, SRCCOPY);
}

void SkinEngine::DrawCaptionButton(SkinWindow& w, int button, bool pressed, int hotAlpha, HDC target) {
  if (button < 1 || size_t(button) > w.buttons.size() || !w.buffer.bits()) return;
  const CaptionButton& b = w.buttons[size_t(button) - 1];
  const int bx = std::max(0, int(b.box.x)), by = std::max(0, int(b.box.y));
  const int bw = std::min(int(b.box.width), w.buffer.width() - bx);
  const int bh = std::min(int(b.box.height), w.buffer.height() - by);
  if (bw <= 0 || bh <= 0) return;
  for (int y = by; y < by + bh; ++y)
    std::memcpy(w.buffer.bits() + size_t(y) * w.buffer.width() + bx,
                w.snapshot.data() + size_t(y) * w.buffer.width() + bx, size_t(bw) * 4);
  gp::Graphics g = gp::Graphics::FromImage(w.buffer.surface());
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  const RectF box(b.box.x, b.box.y, b.box.width, b.box.height);
  if (hotAlpha > 0) {
    // The highlight's own alphas, scaled by how far the fade has come.
    auto scaled = [hotAlpha](int alpha) { return alpha * hotAlpha / 255; };
    // The gradient runs a little past the box, so its last row is not the wrapped first.
    const PointF top(0, box.Y - 1), bottom(0, box.Y + box.Height + 1);
    if (b.kind == CaptionKind::kClose) {
      gp::GraphicsPath path;
      AddRoundRect(path, box.X, box.Y, box.Width - 1, box.Height - 1, 5);
      g.FillPath(gp::LinearGradientBrush::FromPoints(top, bottom, ToArgb(0x0000FF, scaled(255)),
                                                     White(scaled(30))),
                 path);
    } else {
      g.FillRectangle(gp::LinearGradientBrush::FromPoints(top, bottom, Black(scaled(80)), White(scaled(5))),
                      box);
    }
  }
  if (pressed) {
    g.FillRectangle(gp::LinearGradientBrush::FromPoints(PointF(0, box.Y), PointF(0, box.Y + box.Height),
                                                        White(50), Black(0)),
                    RectF(box.X + 1, box.Y + 1, box.Width - 2, box.Height - 2));
  }
  if (const DecodedImage* glyph = GlyphOf(w, b)) {
    const float gx = box.X + (box.Width - float(glyph->width())) / 2;
    g.DrawImage(glyph->get(), RectF(gx, box.Y, float(glyph->width()), float(glyph->height())));
  }
  g.Flush();
  if (target) BitBlt(target, bx, by, bw, bh, w.buffer.dc(), bx, by, SRCCOPY);
}

// The window's rounded shape: the client less the magenta corners the background left, so
// that the shape and the picture agree to the pixel. The system owns the region once set.
void SkinEngine::SetShape(SkinWindow& w) {
  const int cw = w.buffer.width(), ch = w.buffer.height();
  HRGN shape = CreateRectRgn(0, 0, cw, ch);
  const uint32_t* bits = w.buffer.bits();
  constexpr int kCornerRows = 8;
  for (int y = 0; y < ch; ++y) {
    if (y == kCornerRows && ch - kCornerRows > y) y = ch - kCornerRows;
    for (int x = 0; x < cw;) {
      if ((bits[size_t(y) * cw + x] & 0xFFFFFF) != kMagenta) {
        ++x;
        continue;
      }
      int end = x;
      while (end < cw && (bits[size_t(y) * cw + end] & 0xFFFFFF) == kMagenta) ++end;
      ScopedRegion cut(CreateRectRgn(x, y, end, y + 1));
      CombineRgn(shape, shape, cut.get(), RGN_DIFF);
      x = end;
    }
  }
  if (!SetWindowRgn(w.window, shape, FALSE)) DeleteObject(shape);
}

void SkinEngine::Repaint(int index, HDC dc) {
  if (!Window(index)) return;
  SkinWindow& w = *windows_[size_t(index) - 1];
  RECT client;
  GetClientRect(w.window, &client);
  const int cw = client.right, ch = client.bottom;
  if (cw <= 0 || ch <= 0) return;
  if (!w.buffer.Ensure(w.window, cw, ch)) return;
  // The background and border depend only on the size and the picture: composed again
  // when either changed, copied from the snapshot otherwise.
  const ComposedKey key{cw, ch, pictureGeneration_};
  if (w.composedKey == key && w.snapshot.size() == size_t(cw) * ch) {
    std::memcpy(w.buffer.bits(), w.snapshot.data(), w.snapshot.size() * 4);
  } else {
    {
      gp::Graphics g = gp::Graphics::FromImage(w.buffer.surface());
      PaintBackground(w, &g);
      g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
      PaintBorder(w, &g);
    }
    SetShape(w);
    w.snapshot.assign(w.buffer.bits(), w.buffer.bits() + size_t(cw) * ch);
    w.composedKey = key;
  }
  DrawCaption(w, nullptr, nullptr);
  for (size_t i = 0; i < w.buttons.size(); ++i) DrawCaptionButton(w, int(i) + 1, false, 0, nullptr);
  DrawItemStrip(w);
  if (dc) BitBlt(dc, 0, 0, cw, ch, w.buffer.dc(), 0, 0, SRCCOPY);
}

void SkinEngine::PaintFromBuffer(int index, HDC dc) {
  const SkinWindow* w = Window(index);
  if (!w || !w->buffer.dc()) return;
  BitBlt(dc, 0, 0, w->buffer.width(), w->buffer.height(), w->buffer.dc(), 0, 0, SRCCOPY);
}

uint32_t SkinEngine::BackBufferPixel(int index, int x, int y) const {
  const SkinWindow* w = Window(index);
  if (!w || !w->buffer.bits() || x < 0 || y < 0 || x >= w->buffer.width() || y >= w->buffer.height())
    return 0;
  return w->buffer.bits()[size_t(y) * w->buffer.width() + x];
}

void SkinEngine::PaintButtons(const std::vector<ButtonPaint>& paints, SkinWindow& w) {
  if (paints.empty()) return;
  ScopedGetDc dc(w.window);
  for (const ButtonPaint& p : paints) DrawCaptionButton(w, p.button, false, p.hot ? p.alpha : 0, dc.get());
}

void SkinEngine::BeginDragOrResize(SkinWindow& w, LPARAM lp) {
  RECT r;
  GetClientRect(w.window, &r);
  const int x = XOf(lp), y = YOf(lp);
  const PressResult press =
      DecidePress(x, y, {r.left, r.top, r.right, r.bottom}, w.strip, w.captionDrag, w.captionHeight);
  if (press.action == PressAction::kMove) {
    SendMessageW(w.window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
  } else if (press.action == PressAction::kResize) {
    SetCursor(LoadCursorW(nullptr, CursorOfEdge(press.edge)));
    w.fullRepaint = true;
    SendMessageW(w.window, WM_SYSCOMMAND, SC_SIZE + press.edge, 0);
  }
}

void SkinEngine::UpdateResizeCursor(SkinWindow& w, LPARAM lp) {
  RECT r;
  GetClientRect(w.window, &r);
  const int edge = ResizeEdgeAt(XOf(lp), YOf(lp), {r.left, r.top, r.right, r.bottom});
  if (edge) SetCursor(LoadCursorW(nullptr, CursorOfEdge(edge)));
}

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

LRESULT SkinEngine::Previous(HWND window, UINT message, WPARAM wp, LPARAM lp) const {
  auto previous = reinterpret_cast<WNDPROC>(GetPropW(window, kPropProc));
  return previous ? CallWindowProcW(previous, window, message, wp, lp)
                  : DefWindowProcW(window, message, wp, lp);
}

LRESULT CALLBACK SkinEngine::WindowProcEntry(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  if (instance_) return instance_->WindowProc(window, message, wp, lp);
  return DefWindowProcW(window, message, wp, lp);
}

// Quitting, going and losing the activation.
std::optional<LRESULT> SkinEngine::OnLifeMessage(SkinWindow& w, int index, HWND window, UINT message,
                                         WPARAM wp, LPARAM lp) {
  (void)index;
  switch (message) {
    case WM_QUIT:
      // GDI+ goes once only: what the engine holds of it goes first.
      if (!quitSeen_) {
        quitSeen_ = true;
        background_.reset();
        glyphs_.clear();
        for (auto& sw : windows_) sw->scaled.reset();
        if (onQuit_) onQuit_();
      }
      break;
    case WM_NCDESTROY: {
      auto previous = w.previous;
      ReleaseWindow(window);
      return CallWindowProcW(previous, window, message, wp, lp);
    }
    case WM_ACTIVATEAPP:
      if (wp == 0 && onDeactivate_) onDeactivate_();
      break;
  }
  return std::nullopt;
}

// Painting and what asks for it.
std::optional<LRESULT> SkinEngine::OnPaintMessage(SkinWindow& w, int index, HWND window, UINT message,
                                         WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_SHOWWINDOW:
      if (wp == 1) {
        if (w.minimised) {
          w.minimised = false;
        } else {
          ScopedGetDc dc(window);
          Repaint(index, dc.get());
          w.fullRepaint = false;
        }
      }
      break;
    case WM_ERASEBKGND:
      SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      if (!w.minimised) {
        // A buffer of another size is stale whatever the flags say: the first size change
        // of all requests no rebuild, and it may well be a real one.
        RECT client;
        GetClientRect(window, &client);
        const bool stale = !w.buffer.dc() || w.buffer.width() != client.right ||
                           w.buffer.height() != client.bottom;
        if (w.fullRepaint || stale) {
          Repaint(index, dc);
          w.fullRepaint = false;
        } else {
          PaintFromBuffer(index, dc);
        }
      }
      EndPaint(window, &ps);
      return 0;
    }
    case WM_SIZE:
      w.hover.lastHot = 0;
      if (settings_.firstSize) {
        w.fullRepaint = false;
        settings_.firstSize = 0;
      } else {
        w.fullRepaint = true;
      }
      LayoutOnSize(index);
      break;
    case WM_SETTEXT:
      if (w.showTitle && w.interactive && w.buffer.dc()) {
        ScopedGetDc dc(window);
        DrawCaption(w, dc.get(), reinterpret_cast<const wchar_t*>(lp));
      }
      break;
  }
  return std::nullopt;
}

// The pointer: hover fades, caption buttons, moving and resizing.
std::optional<LRESULT> SkinEngine::OnMouseMessage(SkinWindow& w, int index, HWND window, UINT message,
                                         WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_LBUTTONDBLCLK:
      if (YOf(lp) <= w.captionHeight && w.captionDrag) {
        if (int n = FindMaximizeButton(index)) RunCaptionButton(index, n);
      }
      break;
    case WM_MOUSEMOVE: {
      if (!w.hover.mouseTracked) {
        TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, window, 1};
        TrackMouseEvent(&track);
      }
      if (w.interactive) {
        const int x = XOf(lp), y = YOf(lp);
        bool startTimer = false;
        auto paints = w.hover.MouseMove(InsideCaptionStrip(w.strip, x, y),
                                        HitCaptionButton(index, x, y), startTimer);
        if (startTimer) SetTimer(window, reinterpret_cast<UINT_PTR>(window), 20, nullptr);
        PaintButtons(paints, w);
      }
      if (!w.maximised) UpdateResizeCursor(w, lp);
      break;
    }
    case WM_MOUSEHOVER:
      w.hover.mouseTracked = true;
      break;
    case WM_MOUSELEAVE:
      PaintButtons(w.hover.MouseLeave(w.interactive), w);
      break;
    case WM_TIMER:
      if (wp == reinterpret_cast<WPARAM>(window)) {
        bool stop = false;
        PaintButtons(w.hover.Tick(stop), w);
        if (stop) KillTimer(window, reinterpret_cast<UINT_PTR>(window));
      }
      break;
    case WM_LBUTTONDOWN:
      w.hover.in = {};
      if (w.interactive) {
        if (!w.maximised && !w.minimised) BeginDragOrResize(w, lp);
        w.pressed = HitCaptionButton(index, XOf(lp), YOf(lp));
        if (w.pressed >= 1) {
          ScopedGetDc dc(window);
          DrawCaptionButton(w, w.pressed, true, 0, dc.get());
        }
      }
      break;
    case WM_LBUTTONUP:
      if (w.interactive && w.pressed >= 1 && size_t(w.pressed) <= w.buttons.size()) {
        const int button = w.pressed;
        w.pressed = 0;
        // The command may destroy the window, so nothing of it is touched afterwards.
        if (HitCaptionButton(index, XOf(lp), YOf(lp)) == button) {
          RunCaptionButton(index, button);
          return 0;
        }
        ScopedGetDc dc(window);
        DrawCaptionButton(w, button, false, 0, dc.get());
      }
      break;
  }
  return std::nullopt;
}

// Maximising, minimising and the size limits.
std::optional<LRESULT> SkinEngine::OnFrameMessage(SkinWindow& w, int index, HWND window, UINT message,
                                         WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      info->ptMinTrackSize = {w.minTrack.cx, w.minTrack.cy};
      info->ptMaxTrackSize = w.maximised ? POINT{ScreenWidth(), WorkHeight()}
                                         : POINT{w.maxTrack.cx, w.maxTrack.cy};
      break;
    }
    case WM_WINDOWPOSCHANGED: {
      RECT r;
      GetWindowRect(window, &r);
      // A maximise by the system covers the taskbar too: the window goes back above it.
      if (w.hasMaximize && r.right == ScreenWidth() && r.bottom == ScreenHeight() &&
          WorkHeight() != ScreenHeight()) {
        w.maximised = true;
        SetWindowPos(window, nullptr, 0, 0, ScreenWidth(), WorkHeight(),
                     SWP_NOZORDER | SWP_NOOWNERZORDER);
      }
      LayoutCaptionStrip(index);
      break;
    }
    case WM_SYSCOMMAND:
      switch (wp & 0xFFF0) {
        case SC_MAXIMIZE: w.maximised = w.fullRepaint = true; break;
        case SC_RESTORE: w.fullRepaint = true; w.minimised = false; break;
        case SC_MINIMIZE: w.fullRepaint = w.minimised = true; break;
      }
      break;
    case WM_QUERYOPEN:
      w.minimised = false;
      break;
  }
  return std::nullopt;
}

// The child controls' colours and the repaints their changes need.
std::optional<LRESULT> SkinEngine::OnControlMessage(SkinWindow&, int index, HWND window, UINT message,
                                         WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_DRAWITEM: {
      // Only the window's own buttons: a container paints its children's and passes the
      // message on, which would paint them twice.
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (item && GetParent(item->hwndItem) == window) DispatchDrawItem(*this, index, *item);
      break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: {
      bool answered = false;
      LRESULT brush = AnswerControlColour(index, message, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), answered);
      if (answered) return brush;
      break;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
      RepaintChangedChild(message, wp, lp);
      break;
  }
  return std::nullopt;
}

LRESULT SkinEngine::WindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  const int index = int(reinterpret_cast<intptr_t>(GetPropW(window, kPropIndex)));
  if (!Window(index) || windows_[size_t(index) - 1]->window != window)
    return Previous(window, message, wp, lp);
  SkinWindow& w = *windows_[size_t(index) - 1];
  using Handler = std::optional<LRESULT> (SkinEngine::*)(SkinWindow&, int, HWND, UINT, WPARAM, LPARAM);
  for (Handler handler : {&SkinEngine::OnLifeMessage, &SkinEngine::OnPaintMessage, &SkinEngine::OnMouseMessage,
                          &SkinEngine::OnFrameMessage, &SkinEngine::OnControlMessage}) {
    // A handler that ends the record (WM_NCDESTROY) answers, so `w` is not used after it.
    if (std::optional<LRESULT> result = (this->*handler)(w, index, window, message, wp, lp))
      return *result;
  }
  return Previous(window, message, wp, lp);
}

}  // namespace board
