// Pictures: memory streams, encoders, images and bitmaps.
#include "skin/win32/gdiplus_objects.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace board::gp {

using namespace Gdiplus;

namespace {

// A COM interface released at the end of a scope.
template <typename T>
struct ComRef {
  T* p = nullptr;
  ~ComRef() {
    if (p) p->Release();
  }
};

}  // namespace

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

// The format text is parsed once and compared as a GUID, not as each encoder's text: the
// letter case of the hex digits then cannot make a match fail.
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

}  // namespace board::gp
