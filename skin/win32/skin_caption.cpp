// The caption: its strip of buttons with their tooltips, glyphs and commands, and the
// icon and outlined title left of it.
#include "skin/win32/skin_window.h"

#include <algorithm>
#include <cstring>

#include "base/win32/window_text.h"
#include "skin/win32/skin_drawing.h"

namespace board {

using gp::PointF;
using gp::RectF;

// Tool ids are the buttons' 1-based numbers; the boxes follow in LayoutCaptionStrip.
void SkinEngine::RegisterTooltips(SkinWindow& w, size_t previousCount) {
  for (size_t i = 0; i < previousCount; ++i) w.tooltip.DeleteTool(i + 1);
  for (size_t i = 0; i < w.buttons.size(); ++i) w.tooltip.AddTool(i + 1, RECT{}, w.buttons[i].tooltip);
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

StripRect SkinEngine::GetCaptionStripRect(HWND window) const {
  const int index = IndexOf(window);
  return index ? windows_[size_t(index) - 1]->strip : StripRect{};
}

void SkinEngine::SetHelpHandler(HWND window, std::function<void()> handler) {
  if (int i = IndexOf(window)) windows_[size_t(i) - 1]->helpHandler = std::move(handler);
}
void SkinEngine::SetMenuHandler(HWND window, std::function<void()> handler) {
  if (int i = IndexOf(window)) windows_[size_t(i) - 1]->menuHandler = std::move(handler);
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
    w.tooltip.NewToolRect(i + 1, {LONG(b.box.x), LONG(b.box.y), LONG(b.box.x + b.box.width),
                                  LONG(b.box.y + b.box.height)});
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
  const std::wstring text = title ? std::wstring(title) : WindowText(w.window);
  if (!text.empty()) {
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

void SkinEngine::PaintButtons(const std::vector<ButtonPaint>& paints, SkinWindow& w) {
  if (paints.empty()) return;
  ScopedGetDc dc(w.window);
  for (const ButtonPaint& p : paints) DrawCaptionButton(w, p.button, false, p.hot ? p.alpha : 0, dc.get());
}

}  // namespace board
