// Drawing surfaces: a Graphics on a DC, a window or an image, and what it draws.
#include "skin/win32/gdiplus_objects.h"

#include <climits>

namespace board::gp {

using namespace Gdiplus;

namespace {

// Text lengths travel as INT; longer text is refused rather than cut.
bool FitsInt(std::wstring_view text) { return text.size() <= size_t(INT_MAX); }

}  // namespace

// ---- graphics

Graphics Graphics::FromHdc(HDC dc) {
  Graphics g;
  GpGraphics* native = nullptr;
  const Status created = Api().GdipCreateFromHDC(dc, &native);
  g.Adopt(created, native);
  return g;
}

Graphics Graphics::FromHwnd(HWND window) {
  Graphics g;
  GpGraphics* native = nullptr;
  const Status created = Api().GdipCreateFromHWND(window, &native);
  g.Adopt(created, native);
  return g;
}

Graphics Graphics::FromImage(const Image& image) {
  Graphics g;
  GpGraphics* native = nullptr;
  const Status created = Api().GdipGetImageGraphicsContext(image.native(), &native);
  g.Adopt(created, native);
  return g;
}

bool Graphics::SetSmoothingMode(SmoothingMode mode) {
  return Record(Api().GdipSetSmoothingMode(native(), mode));
}

bool Graphics::SetInterpolationMode(InterpolationMode mode) {
  return Record(Api().GdipSetInterpolationMode(native(), mode));
}

bool Graphics::SetCompositingMode(CompositingMode mode) {
  return Record(Api().GdipSetCompositingMode(native(), mode));
}

bool Graphics::SetCompositingQuality(CompositingQuality quality) {
  return Record(Api().GdipSetCompositingQuality(native(), quality));
}

bool Graphics::SetPixelOffsetMode(PixelOffsetMode mode) {
  return Record(Api().GdipSetPixelOffsetMode(native(), mode));
}

bool Graphics::SetTextRenderingHint(TextRenderingHint hint) {
  return Record(Api().GdipSetTextRenderingHint(native(), hint));
}

bool Graphics::SetClip(const GraphicsPath& path, CombineMode mode) {
  return Record(Api().GdipSetClipPath(native(), path.native(), mode));
}

bool Graphics::SetClip(const RectF& r, CombineMode mode) {
  return Record(Api().GdipSetClipRect(native(), r.X, r.Y, r.Width, r.Height, mode));
}

bool Graphics::SetClip(const Region& region, CombineMode mode) {
  return Record(Api().GdipSetClipRegion(native(), region.native(), mode));
}

bool Graphics::ResetClip() { return Record(Api().GdipResetClip(native())); }

bool Graphics::TranslateTransform(float dx, float dy) {
  return Record(Api().GdipTranslateWorldTransform(native(), dx, dy, MatrixOrderPrepend));
}

bool Graphics::RotateTransform(float angle) {
  return Record(Api().GdipRotateWorldTransform(native(), angle, MatrixOrderPrepend));
}

bool Graphics::ResetTransform() { return Record(Api().GdipResetWorldTransform(native())); }

bool Graphics::Clear(ARGB colour) { return Record(Api().GdipGraphicsClear(native(), colour)); }

bool Graphics::Flush() { return Record(Api().GdipFlush(native(), FlushIntentionFlush)); }

bool Graphics::DrawLine(const Pen& pen, float x1, float y1, float x2, float y2) {
  return Record(Api().GdipDrawLine(native(), pen.native(), x1, y1, x2, y2));
}

bool Graphics::DrawPath(const Pen& pen, const GraphicsPath& path) {
  return Record(Api().GdipDrawPath(native(), pen.native(), path.native()));
}

bool Graphics::FillPath(const Brush& brush, const GraphicsPath& path) {
  return Record(Api().GdipFillPath(native(), brush.native(), path.native()));
}

bool Graphics::FillRectangle(const Brush& brush, const RectF& r) {
  return Record(Api().GdipFillRectangle(native(), brush.native(), r.X, r.Y, r.Width, r.Height));
}

bool Graphics::DrawImage(const Image& image, float x, float y) {
  return Record(Api().GdipDrawImage(native(), image.native(), x, y));
}

bool Graphics::DrawImage(const Image& image, const RectF& d) {
  return Record(Api().GdipDrawImageRect(native(), image.native(), d.X, d.Y, d.Width, d.Height));
}

bool Graphics::DrawImage(const Image& image, const RectF& d, const RectF& s, Unit unit) {
  return Record(Api().GdipDrawImageRectRect(native(), image.native(), d.X, d.Y, d.Width,
                                            d.Height, s.X, s.Y, s.Width, s.Height, unit,
                                            nullptr, nullptr, nullptr));
}

bool Graphics::DrawString(std::wstring_view text, const Font& font, const RectF& layout,
                          const StringFormat* format, const Brush& brush) {
  if (!FitsInt(text)) return Record(InvalidParameter);
  return Record(Api().GdipDrawString(native(), text.data(), INT(text.size()), font.native(),
                                     &layout, format ? format->native() : nullptr,
                                     brush.native()));
}

bool Graphics::MeasureString(std::wstring_view text, const Font& font, const RectF& layout,
                             const StringFormat* format, RectF* bounds) {
  if (!bounds || !FitsInt(text)) return Record(InvalidParameter);
  return Record(Api().GdipMeasureString(native(), text.data(), INT(text.size()), font.native(),
                                        &layout, format ? format->native() : nullptr, bounds,
                                        nullptr, nullptr));
}

}  // namespace board::gp
