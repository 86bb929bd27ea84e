// The skin behind a rectangle of a skinned window or its controls, copied from the back
// buffer with the tints of the containers it lies in.
#include "skin/win32/skin_window.h"

#include <algorithm>
#include <optional>

#include "skin/win32/skin_drawing.h"

namespace board {

using gp::RectF;

// The memory DC holds a DIB section rather than a GDI+ bitmap's HBITMAP: the same 32-bit
// pixels, and the painters read them in place (PixelsOf). No window here carries a foreign
// zoom surface (Wxk_Zpf), so the nearest skinned window always holds the pixels.
HDC SkinEngine::CaptureBackground(HWND window, const RECT& rect) {
  const int width = std::max<int>(1, rect.right - rect.left);
  const int height = std::max<int>(1, rect.bottom - rect.top);
  // A memory DC made with no DC is the screen's kind: no screen DC is taken and given back
  // (two round trips to the server under Wine, on every control paint).
  BackgroundRecord record;
  record.dc.reset(CreateCompatibleDC(nullptr));
  void* bits = nullptr;
  record.bitmap.reset(CreateTopDownDib(record.dc.get(), width, height, &bits));
  if (!record.dc || !record.bitmap) return nullptr;
  record.original = SelectObject(record.dc.get(), record.bitmap.get());
  record.pixels = {static_cast<uint32_t*>(bits), width, height};
  if (const int index = SkinnedAncestor(window)) {
    ComposeIfLeft(index);
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

}  // namespace board
