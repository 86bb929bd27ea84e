// The window's frame: its background picture, rounded border and shape, composed into
// the back buffer and copied out.
#include "skin/win32/skin_window.h"

#include <algorithm>
#include <cstring>

#include "skin/background_layout.h"
#include "skin/win32/skin_drawing.h"

namespace board {

using gp::PointF;
using gp::RectF;

void SkinEngine::PaintBackground(SkinWindow& w, void* graphicsHandle) {
  gp::Graphics& g = *static_cast<gp::Graphics*>(graphicsHandle);
  const int cw = w.buffer.width(), ch = w.buffer.height();
  const RectF client(0, 0, float(cw), float(ch));
  const DecodedImage* picture = w.windowImage ? w.windowImage.get() : Background();
  const bool stretched = picture && w.imageMode == kImageStretched;
  if (stretched) {
    // The stretched picture is scaled once per client size, not on every repaint. During a
    // live resize each new size is scaled fast; once the size has stood still for a moment
    // (or the resize ends) it is scaled again at high quality. A maximise or a restore is
    // one size change, scaled at high quality at once.
    if (!w.scaled || w.scaled->width != cw || w.scaled->height != ch) {
      const bool resized = w.scaled != nullptr && w.liveResize;
      w.scaled = picture->Scaled(cw, ch, resized ? ScaleQuality::kFast : ScaleQuality::kHigh);
      if (w.scaled && w.scaled->quality == ScaleQuality::kFast)
        SetTimer(w.window, kSettleTimer, kSettleMilliseconds, nullptr);
    }
  }
  if (stretched && w.scaled && !w.scaled->bitmap) {
    // An opaque picture scaled here covers the whole client: copied in as it is.
    g.Flush();
    std::memcpy(w.buffer.bits(), w.scaled->pixels.argb.data(), w.scaled->pixels.argb.size() * 4);
  } else {
    g.FillRectangle(gp::SolidBrush(ToArgb(w.windowImage ? w.windowColour : settings_.faceColour)), client);
  }
  if (stretched) {
    if (w.scaled && w.scaled->bitmap) g.DrawImage(*w.scaled->bitmap, client);
  } else if (picture) {
    for (const DestRect& d : PlaceBackground(w.imageMode, picture->width(), picture->height(), cw, ch))
      g.DrawImage(picture->get(), RectF(float(d.x), float(d.y), float(d.width), float(d.height)));
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
        if (x >= 0 && y >= 0 && x < cw && y < ch) bits[size_t(y) * cw + x] = 0xFF000000u | kKeyMagenta;
    }
}

void SkinEngine::SettlePicture(SkinWindow& w, int index) {
  if (!w.scaled || w.scaled->quality != ScaleQuality::kFast) return;
  w.scaled.reset();  // the next composition scales at high quality
  w.composedKey = {};
  {
    ScopedGetDc dc(w.window);
    Repaint(index, dc.get());
  }
  // The controls copy their backgrounds from the back buffer just composed.
  RedrawWindow(w.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

namespace {

// The border: a dark rounded outline with a light one inside it.
void DrawBorder(gp::Graphics& g, float width, float height) {
  gp::GraphicsPath outer, inner;
  AddRoundRect(outer, 0, 0, width - 1, height - 1, 7);
  AddRoundRect(inner, 1, 1, width - 3, height - 3, 6);
  g.DrawPath(gp::Pen(Black(180), 1), outer);
  g.DrawPath(gp::Pen(White(180), 1), inner);
  g.Flush();
}

// Each corner piece is kBorderCorner pixels square, well beyond the arcs; the square the
// border is drawn on once is two corners and one pixel of straight side.
constexpr int kBorderCorner = 12;
constexpr int kBorderSquare = 2 * kBorderCorner + 1;

// Where pixel `at` of a side `length` long reads the square.
int BorderSquareAt(int at, int length) {
  if (at < kBorderCorner) return at;
  if (at >= length - kBorderCorner) return at - (length - kBorderSquare);
  return kBorderCorner;
}

}  // namespace

void SkinEngine::PaintBorder(SkinWindow& w, void* graphicsHandle) {
  gp::Graphics& g = *static_cast<gp::Graphics*>(graphicsHandle);
  const int width = w.buffer.width(), height = w.buffer.height();
  if (width < kBorderSquare || height < kBorderSquare) {
    DrawBorder(g, float(width), float(height));
    return;
  }
  if (borderCorners_.empty()) {
    borderCorners_.assign(size_t(kBorderSquare) * kBorderSquare, 0);
    gp::Bitmap square = gp::Bitmap::FromScan0(kBorderSquare, kBorderSquare, kBorderSquare * 4, PixelFormat32bppPARGB,
                                              reinterpret_cast<BYTE*>(borderCorners_.data()));
    gp::Graphics s = gp::Graphics::FromImage(square);
    s.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    DrawBorder(s, float(kBorderSquare), float(kBorderSquare));
  }
  g.Flush();
  // Laid over the picture as GDI+ lays a premultiplied colour over an opaque one (the same
  // pixels, rounding included, as drawing the paths here).
  uint32_t* bits = w.buffer.bits();
  for (int y = 0; y < height; ++y) {
    const uint32_t* squareRow = borderCorners_.data() + size_t(BorderSquareAt(y, height)) * kBorderSquare;
    const bool edgeRow = y < kBorderCorner || y >= height - kBorderCorner;
    uint32_t* row = bits + size_t(y) * width;
    for (int x = 0; x < width; ++x) {
      if (!edgeRow && x == kBorderCorner) x = width - kBorderCorner;  // nothing of the border between the sides
      const uint32_t src = squareRow[BorderSquareAt(x, width)];
      if (src >> 24) row[x] = PremultipliedOver(row[x] | 0xFF000000u, src);
    }
  }
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
      if ((bits[size_t(y) * cw + x] & 0xFFFFFF) != kKeyMagenta) {
        ++x;
        continue;
      }
      int end = x;
      while (end < cw && (bits[size_t(y) * cw + end] & 0xFFFFFF) == kKeyMagenta) ++end;
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
  w.composeOnFirstUse = false;
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

void SkinEngine::ComposeIfLeft(int index) {
  SkinWindow* w = Window(index) ? windows_[size_t(index) - 1].get() : nullptr;
  if (!w || !w->composeOnFirstUse) return;
  Repaint(index, nullptr);
  w->fullRepaint = false;  // the window's own paint copies what is composed now
}

void SkinEngine::PaintFromBuffer(int index, HDC dc) {
  const SkinWindow* w = Window(index);
  if (!w || !w->buffer.dc()) return;
  BitBlt(dc, 0, 0, w->buffer.width(), w->buffer.height(), w->buffer.dc(), 0, 0, SRCCOPY);
}

}  // namespace board
