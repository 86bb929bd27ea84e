// The item strip along the bottom of a window, and the children that fill the client
// down to it.
#include "skin/win32/skin_window.h"

#include <algorithm>

namespace board {

using gp::RectF;

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
    const RECT r = RectInParent(child, w.window);
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

}  // namespace board
