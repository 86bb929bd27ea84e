#include "skin/win32/gdiplus_objects.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace board::gp {

using namespace Gdiplus;

namespace {

Status g_lastStatus = Ok;

// A COM interface released at the end of a scope.
template <typename T>
struct ComRef {
  T* p = nullptr;
  ~ComRef() {
    if (p) p->Release();
  }
};

// Text lengths travel as INT; longer text is refused rather than cut.
bool FitsInt(std::wstring_view text) { return text.size() <= size_t(INT_MAX); }

}  // namespace

Status LastStatus() { return g_lastStatus; }

bool RecordLastStatus(Status status) {
  g_lastStatus = status;
  return status == Ok;
}

namespace detail {
Status DeleteGraphics(GpGraphics* g) { return Api().GdipDeleteGraphics(g); }
Status DeletePath(GpPath* p) { return Api().GdipDeletePath(p); }
Status DeleteBrush(GpBrush* b) { return Api().GdipDeleteBrush(b); }
Status DeletePen(GpPen* p) { return Api().GdipDeletePen(p); }
Status DeleteFontFamily(GpFontFamily* f) { return Api().GdipDeleteFontFamily(f); }
Status DeleteFont(GpFont* f) { return Api().GdipDeleteFont(f); }
Status DeleteStringFormat(GpStringFormat* f) { return Api().GdipDeleteStringFormat(f); }
Status DisposeImage(GpImage* i) { return Api().GdipDisposeImage(i); }
Status DeleteRegion(GpRegion* r) { return Api().GdipDeleteRegion(r); }
}  // namespace detail

// ---- pens and brushes

Pen::Pen(ARGB colour, float width, Unit unit) {
  GpPen* pen = nullptr;
  const Status created = Api().GdipCreatePen1(colour, width, unit, &pen);
  Adopt(created, pen);
}

SolidBrush::SolidBrush(ARGB colour) {
  GpSolidFill* fill = nullptr;
  const Status created = Api().GdipCreateSolidFill(colour, &fill);
  Adopt(created, fill);
}

bool SolidBrush::SetColor(ARGB colour) {
  return Record(Api().GdipSetSolidFillColor(static_cast<GpSolidFill*>(native()), colour));
}

LinearGradientBrush LinearGradientBrush::FromPoints(PointF from, PointF to, ARGB fromColour,
                                                    ARGB toColour, WrapMode wrap) {
  LinearGradientBrush brush;
  GpLineGradient* line = nullptr;
  const Status created = Api().GdipCreateLineBrush(&from, &to, fromColour, toColour, wrap, &line);
  brush.Adopt(created, line);
  return brush;
}

LinearGradientBrush LinearGradientBrush::FromRect(const RectF& rect, ARGB fromColour,
                                                  ARGB toColour, LinearGradientMode mode,
                                                  WrapMode wrap) {
  LinearGradientBrush brush;
  GpLineGradient* line = nullptr;
  const Status created =
      Api().GdipCreateLineBrushFromRect(&rect, fromColour, toColour, mode, wrap, &line);
  brush.Adopt(created, line);
  return brush;
}

GpLineGradient* LinearGradientBrush::line() const {
  return static_cast<GpLineGradient*>(native());
}

bool LinearGradientBrush::SetWrapMode(WrapMode wrap) {
  return Record(Api().GdipSetLineWrapMode(line(), wrap));
}

bool LinearGradientBrush::SetPresetBlend(std::span<const ARGB> colours,
                                         std::span<const float> positions) {
  if (colours.size() < 2 || colours.size() != positions.size() || colours.size() > size_t(INT_MAX))
    return Record(InvalidParameter);
  return Record(Api().GdipSetLinePresetBlend(line(), colours.data(), positions.data(),
                                             INT(colours.size())));
}

PathGradientBrush PathGradientBrush::FromPath(const GraphicsPath& path) {
  PathGradientBrush brush;
  GpPathGradient* gradient = nullptr;
  const Status created = Api().GdipCreatePathGradientFromPath(path.native(), &gradient);
  brush.Adopt(created, gradient);
  return brush;
}

GpPathGradient* PathGradientBrush::gradient() const {
  return static_cast<GpPathGradient*>(native());
}

bool PathGradientBrush::SetCenterColor(ARGB colour) {
  return Record(Api().GdipSetPathGradientCenterColor(gradient(), colour));
}

bool PathGradientBrush::SetSurroundColors(std::span<const ARGB> colours) {
  if (colours.empty() || colours.size() > size_t(INT_MAX)) return Record(InvalidParameter);
  INT count = INT(colours.size());
  return Record(
      Api().GdipSetPathGradientSurroundColorsWithCount(gradient(), colours.data(), &count));
}

// ---- paths

GraphicsPath::GraphicsPath(FillMode mode) {
  GpPath* path = nullptr;
  const Status created = Api().GdipCreatePath(mode, &path);
  Adopt(created, path);
}

bool GraphicsPath::AddLine(float x1, float y1, float x2, float y2) {
  return Record(Api().GdipAddPathLine(native(), x1, y1, x2, y2));
}

bool GraphicsPath::AddArc(const RectF& r, float startAngle, float sweepAngle) {
  return Record(
      Api().GdipAddPathArc(native(), r.X, r.Y, r.Width, r.Height, startAngle, sweepAngle));
}

bool GraphicsPath::AddRectangle(const RectF& r) {
  return Record(Api().GdipAddPathRectangle(native(), r.X, r.Y, r.Width, r.Height));
}

bool GraphicsPath::StartFigure() { return Record(Api().GdipStartPathFigure(native())); }

bool GraphicsPath::CloseFigure() { return Record(Api().GdipClosePathFigure(native())); }

bool GraphicsPath::GetBounds(RectF* bounds) {
  if (!bounds) return Record(InvalidParameter);
  return Record(Api().GdipGetPathWorldBounds(native(), bounds, nullptr, nullptr));
}

// ---- text

FontFamily FontFamily::FromName(const std::wstring& name) {
  FontFamily family;
  GpFontFamily* native = nullptr;
  const Status created = Api().GdipCreateFontFamilyFromName(name.c_str(), nullptr, &native);
  family.Adopt(created, native);
  return family;
}

Font::Font(const FontFamily& family, float size, int style, Unit unit) {
  GpFont* font = nullptr;
  const Status created = Api().GdipCreateFont(family.native(), size, style, unit, &font);
  Adopt(created, font);
}

Font Font::FromHdc(HDC dc) {
  Font font;
  GpFont* native = nullptr;
  const Status created = Api().GdipCreateFontFromDC(dc, &native);
  font.Adopt(created, native);
  return font;
}

Font Font::FromLogfont(HDC dc, const LOGFONTW& logfont) {
  Font font;
  GpFont* native = nullptr;
  const Status created = Api().GdipCreateFontFromLogfontW(dc, &logfont, &native);
  font.Adopt(created, native);
  return font;
}

float Font::Size() {
  float size = 0;
  return Record(Api().GdipGetFontSize(native(), &size)) ? size : 0.0f;
}

StringFormat::StringFormat(int flags, LANGID language) {
  GpStringFormat* format = nullptr;
  const Status created = Api().GdipCreateStringFormat(flags, language, &format);
  Adopt(created, format);
}

StringFormat StringFormat::GenericTypographic() {
  StringFormat format{Empty{}};
  // The shared object belongs to GDI+; the caller gets a copy it may delete.
  GpStringFormat* shared = nullptr;
  if (!format.Record(Api().GdipStringFormatGetGenericTypographic(&shared))) return format;
  GpStringFormat* copy = nullptr;
  const Status cloned = Api().GdipCloneStringFormat(shared, &copy);
  format.Adopt(cloned, copy);
  return format;
}

bool StringFormat::SetAlignment(StringAlignment align) {
  return Record(Api().GdipSetStringFormatAlign(native(), align));
}

bool StringFormat::SetLineAlignment(StringAlignment align) {
  return Record(Api().GdipSetStringFormatLineAlign(native(), align));
}

bool StringFormat::SetFlags(int flags) {
  return Record(Api().GdipSetStringFormatFlags(native(), flags));
}

bool StringFormat::SetTrimming(StringTrimming trimming) {
  return Record(Api().GdipSetStringFormatTrimming(native(), trimming));
}

// ---- memory streams

MemoryStream MemoryStream::FromBytes(std::span<const uint8_t> bytes) {
  MemoryStream out;
  if (bytes.empty()) return out;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size());
  if (!block) return out;
  void* p = GlobalLock(block);
  if (!p) {
    GlobalFree(block);
    return out;
  }
  std::memcpy(p, bytes.data(), bytes.size());
  GlobalUnlock(block);
  IStream* stream = nullptr;
  // The stream must not free the block: the block is ours and goes after the stream.
  if (FAILED(CreateStreamOnHGlobal(block, FALSE, &stream)) || !stream) {
    GlobalFree(block);
    return out;
  }
  out.block_ = block;
  out.stream_ = stream;
  ++g_liveGdiPlusObjects;
  return out;
}

MemoryStream& MemoryStream::operator=(MemoryStream&& o) noexcept {
  if (this != &o) {
    Release();
    block_ = std::exchange(o.block_, nullptr);
    stream_ = std::exchange(o.stream_, nullptr);
  }
  return *this;
}

void MemoryStream::Release() {
  if (!stream_) return;
  stream_->Release();
  GlobalFree(block_);
  stream_ = nullptr;
  block_ = nullptr;
  --g_liveGdiPlusObjects;
}

// ---- encoders

bool FindEncoder(const GUID& format, CLSID* encoder) {
  UINT count = 0, size = 0;
  if (!RecordLastStatus(Api().GdipGetImageEncodersSize(&count, &size))) return false;
  if (count == 0 || size < count * sizeof(ImageCodecInfo)) return RecordLastStatus(UnknownImageFormat);
  // The codec records are followed by the strings they point at, all in one block.
  std::vector<ImageCodecInfo> codecs((size + sizeof(ImageCodecInfo) - 1) / sizeof(ImageCodecInfo));
  if (!RecordLastStatus(Api().GdipGetImageEncoders(count, size, codecs.data()))) return false;
  for (UINT i = 0; i < count; ++i) {
    if (IsEqualGUID(codecs[i].FormatID, format)) {
      if (encoder) *encoder = codecs[i].Clsid;
      return true;
    }
  }
  return RecordLastStatus(UnknownImageFormat);
}

bool FindEncoder(std::wstring_view formatGuidText, CLSID* encoder) {
  const std::wstring text(formatGuidText);  // IIDFromString wants it terminated
  GUID format;
  if (FAILED(IIDFromString(text.c_str(), &format))) return RecordLastStatus(InvalidParameter);
  return FindEncoder(format, encoder);
}

// ---- images

Image& Image::operator=(Image&& o) noexcept {
  if (this != &o) {
    Reset();  // dispose before the stream under it goes
    stream_ = std::move(o.stream_);
    Wrapper::operator=(std::move(o));
  }
  return *this;
}

Image::~Image() { Reset(); }

bool Image::AdoptDecoded(Status s, GpImage* created, MemoryStream stream) {
  if (!Adopt(s, created)) return false;
  stream_ = std::move(stream);
  return true;
}

Image Image::FromByteSet(std::span<const uint8_t> bytes) {
  Image image;
  MemoryStream stream = MemoryStream::FromBytes(bytes);
  if (!stream.get()) {
    image.Record(bytes.empty() ? InvalidParameter : OutOfMemory);
    return image;
  }
  GpImage* native = nullptr;
  const Status created = Api().GdipLoadImageFromStream(stream.get(), &native);
  image.AdoptDecoded(created, native, std::move(stream));
  return image;
}

Image Image::FromFile(const std::wstring& path) {
  Image image;
  GpImage* native = nullptr;
  const Status created = Api().GdipLoadImageFromFile(path.c_str(), &native);
  image.Adopt(created, native);
  return image;
}

UINT Image::Width() {
  UINT w = 0;
  return Record(Api().GdipGetImageWidth(native(), &w)) ? w : 0;
}

UINT Image::Height() {
  UINT h = 0;
  return Record(Api().GdipGetImageHeight(native(), &h)) ? h : 0;
}

bool Image::Save(IStream* stream, std::wstring_view formatGuidText,
                 const EncoderParameters* parameters) {
  if (!native() || !stream) return Record(InvalidParameter);
  CLSID encoder;
  bool found;
  if (formatGuidText.empty()) {
    GUID raw;
    if (!Record(Api().GdipGetImageRawFormat(native(), &raw))) return false;
    found = FindEncoder(raw, &encoder);
  } else {
    found = FindEncoder(formatGuidText, &encoder);
  }
  if (!found) return Record(LastStatus());
  return Record(Api().GdipSaveImageToStream(native(), stream, &encoder, parameters));
}

bool Image::Save(const std::wstring& path, std::wstring_view formatGuidText,
                 const EncoderParameters* parameters) {
  if (!native()) return Record(InvalidParameter);
  CLSID encoder;
  if (!FindEncoder(formatGuidText, &encoder)) return Record(LastStatus());
  return Record(Api().GdipSaveImageToFile(native(), path.c_str(), &encoder, parameters));
}

std::vector<uint8_t> Image::SaveToBytes(std::wstring_view formatGuidText) {
  ComRef<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream.p)) || !stream.p) {
    Record(OutOfMemory);
    return {};
  }
  if (!Save(stream.p, formatGuidText)) return {};
  STATSTG stat = {};
  HGLOBAL block = nullptr;
  if (FAILED(stream.p->Stat(&stat, STATFLAG_NONAME)) ||
      FAILED(GetHGlobalFromStream(stream.p, &block)) ||
      stat.cbSize.QuadPart > GlobalSize(block)) {
    Record(Win32Error);
    return {};
  }
  std::vector<uint8_t> bytes(size_t(stat.cbSize.QuadPart));
  if (!bytes.empty()) {
    const void* p = GlobalLock(block);
    if (!p) {
      Record(Win32Error);
      return {};
    }
    std::memcpy(bytes.data(), p, bytes.size());
    GlobalUnlock(block);
  }
  return bytes;
}

// ---- bitmaps

Bitmap Bitmap::FromByteSet(std::span<const uint8_t> bytes) {
  Bitmap bitmap;
  MemoryStream stream = MemoryStream::FromBytes(bytes);
  if (!stream.get()) {
    bitmap.Record(bytes.empty() ? InvalidParameter : OutOfMemory);
    return bitmap;
  }
  GpBitmap* native = nullptr;
  const Status created = Api().GdipCreateBitmapFromStream(stream.get(), &native);
  bitmap.AdoptDecoded(created, native, std::move(stream));
  return bitmap;
}

Bitmap Bitmap::FromFile(const std::wstring& path) {
  Bitmap bitmap;
  GpBitmap* native = nullptr;
  const Status created = Api().GdipCreateBitmapFromFile(path.c_str(), &native);
  bitmap.Adopt(created, native);
  return bitmap;
}

Bitmap Bitmap::FromScan0(int width, int height, int stride, PixelFormat format, BYTE* scan0) {
  Bitmap bitmap;
  GpBitmap* native = nullptr;
  const Status created = Api().GdipCreateBitmapFromScan0(width, height, stride, format, scan0, &native);
  bitmap.Adopt(created, native);
  return bitmap;
}

bool Bitmap::GetPixel(int x, int y, ARGB* colour) {
  if (!colour) return Record(InvalidParameter);
  return Record(Api().GdipBitmapGetPixel(bitmap(), x, y, colour));
}

bool Bitmap::SetPixel(int x, int y, ARGB colour) {
  return Record(Api().GdipBitmapSetPixel(bitmap(), x, y, colour));
}

bool Bitmap::SetResolution(float dpiX, float dpiY) {
  return Record(Api().GdipBitmapSetResolution(bitmap(), dpiX, dpiY));
}

ScopedBitmap Bitmap::ToHbitmap(ARGB background) {
  HBITMAP out = nullptr;
  if (!Record(Api().GdipCreateHBITMAPFromBitmap(bitmap(), &out, background))) return {};
  return ScopedBitmap(out);
}

Bitmap Bitmap::Rotate(float angle) {
  const UINT w = Width();
  const UINT h = Height();
  if (w == 0 || h == 0) return {};
  const double radians = double(angle) * 3.14159265358979323846 / 180.0;
  const double c = std::fabs(std::cos(radians));
  const double s = std::fabs(std::sin(radians));
  // Bounding box of the turned image; the small slack keeps cos(90°) ≈ 6e-17 from adding
  // a whole column.
  const double bw = std::ceil(w * c + h * s - 1e-6);
  const double bh = std::ceil(w * s + h * c - 1e-6);
  if (bw > 65535 || bh > 65535) {
    Record(ValueOverflow);
    return {};
  }
  Bitmap out = FromScan0(int(bw < 1 ? 1 : bw), int(bh < 1 ? 1 : bh));
  if (!out) {
    Record(out.status());
    return {};
  }
  REAL dpiX = 0, dpiY = 0;
  if (Record(Api().GdipGetImageHorizontalResolution(native(), &dpiX)) &&
      Record(Api().GdipGetImageVerticalResolution(native(), &dpiY)) && dpiX > 0 && dpiY > 0) {
    out.SetResolution(dpiX, dpiY);
  }
  Graphics g = Graphics::FromImage(out);
  const bool drawn = g && g.SetInterpolationMode(InterpolationModeHighQualityBicubic) &&
                     g.TranslateTransform(float(bw / 2), float(bh / 2)) &&
                     g.RotateTransform(angle) &&
                     g.DrawImage(*this, RectF(-float(w) / 2, -float(h) / 2, float(w), float(h)));
  Record(LastStatus());
  if (!drawn) return {};
  return out;
}

bool Bitmap::ApplyEffect(const GUID& effect, const void* parameters, UINT size, RECT* area) {
  CGpEffect* native = nullptr;
  Status s = Api().GdipCreateEffect(effect, &native);
  if (s != Ok) return Record(s);
  if (parameters) s = Api().GdipSetEffectParameters(native, parameters, size);
  if (s == Ok) s = Api().GdipBitmapApplyEffect(bitmap(), native, area, FALSE, nullptr, nullptr);
  Api().GdipDeleteEffect(native);
  return Record(s);
}

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

// ---- regions

Region::Region() {
  GpRegion* region = nullptr;
  const Status created = Api().GdipCreateRegion(&region);
  Adopt(created, region);
}

Region Region::FromRect(const RectF& rect) {
  Region region{Empty{}};
  GpRegion* native = nullptr;
  const Status created = Api().GdipCreateRegionRect(&rect, &native);
  region.Adopt(created, native);
  return region;
}

Region Region::FromPath(const GraphicsPath& path) {
  Region region{Empty{}};
  GpRegion* native = nullptr;
  const Status created = Api().GdipCreateRegionPath(path.native(), &native);
  region.Adopt(created, native);
  return region;
}

Region Region::FromHrgn(HRGN hrgn) {
  Region region{Empty{}};
  GpRegion* native = nullptr;
  const Status created = Api().GdipCreateRegionHrgn(hrgn, &native);
  region.Adopt(created, native);
  return region;
}

bool Region::Combine(const Region& other, CombineMode mode) {
  return Record(Api().GdipCombineRegionRegion(native(), other.native(), mode));
}

bool Region::Combine(const RectF& rect, CombineMode mode) {
  return Record(Api().GdipCombineRegionRect(native(), &rect, mode));
}

bool Region::Combine(const GraphicsPath& path, CombineMode mode) {
  return Record(Api().GdipCombineRegionPath(native(), path.native(), mode));
}

bool Region::Translate(float dx, float dy) {
  return Record(Api().GdipTranslateRegion(native(), dx, dy));
}

bool Region::IsVisible(float x, float y, bool* visible, const Graphics* graphics) {
  BOOL in = FALSE;
  const bool ok = Record(Api().GdipIsVisibleRegionPoint(
      native(), x, y, graphics ? graphics->native() : nullptr, &in));
  if (visible) *visible = ok && in;
  return ok;
}

}  // namespace board::gp
