// Thin owners of GDI+ objects. Each wrapper holds one native object, deletes it when it is
// destroyed, and records the status of its last call (also kept process-wide); an
// operation returns true exactly when that status is Ok. All calls go through the
// GdiPlusApi table. Texts are UTF-16 throughout.
// Only the operations the skin calls are here: no native-memory calls, no font
// collections, no colour-managed variants, and the status is stored without a per-class
// hook, as no caller reacts to one.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/win32/scoped_win.h"
#include "skin/win32/gdiplus_api.h"

namespace board::gp {

using Gdiplus::ARGB;
using Gdiplus::PointF;
using Gdiplus::RectF;
using Gdiplus::Status;

// Image format GUIDs as text, as the encoder lookup takes them.
inline constexpr wchar_t kPngFormat[] = L"{B96B3CAF-0728-11D3-9D7B-0000F81EF32E}";
inline constexpr wchar_t kBmpFormat[] = L"{B96B3CAB-0728-11D3-9D7B-0000F81EF32E}";

// Native objects the wrappers own right now (GDI+ objects, memory streams, tooltip
// windows). Wine's GetGuiResources cannot see leaks, so tests compare this before and after.
inline std::atomic<long> g_liveGdiPlusObjects{0};
inline long LiveGdiPlusObjects() { return g_liveGdiPlusObjects.load(); }

// The status of the most recent wrapper call in the process.
Status LastStatus();
// Stores `status` as the process-wide last status; true when it is Ok.
bool RecordLastStatus(Status status);

// The common part of every wrapper: its one native object and its last status. `Delete`
// frees the native object; it is skipped once GDI+ has been shut down, because the
// shutdown has already freed every object.
template <typename Native, Status (*Delete)(Native*)>
class Wrapper {
 public:
  Wrapper(Wrapper&& o) noexcept : native_(std::exchange(o.native_, nullptr)), status_(o.status_) {}
  Wrapper& operator=(Wrapper&& o) noexcept {
    if (this != &o) {
      Reset();
      native_ = std::exchange(o.native_, nullptr);
      status_ = o.status_;
    }
    return *this;
  }
  ~Wrapper() { Reset(); }
  Wrapper(const Wrapper&) = delete;
  Wrapper& operator=(const Wrapper&) = delete;

  Native* native() const { return native_; }
  explicit operator bool() const { return native_ != nullptr; }
  Status status() const { return status_; }

 protected:
  Wrapper() = default;
  bool Record(Status s) {
    status_ = s;
    return RecordLastStatus(s);
  }
  // Takes the object a create call made; a failed create leaves the wrapper empty. Call it
  // after the create call has returned: as a second argument beside that call, the out
  // variable could be read before the call fills it.
  bool Adopt(Status s, Native* created) {
    if (s == Gdiplus::Ok && created) {
      Reset();
      native_ = created;
      ++g_liveGdiPlusObjects;
    } else if (s == Gdiplus::Ok) {
      s = Gdiplus::GenericError;  // Ok with no object is no success
    }
    return Record(s);
  }
  void Reset() {
    if (!native_) return;
    if (GdiPlusRunning()) Delete(native_);
    --g_liveGdiPlusObjects;
    native_ = nullptr;
  }

 private:
  Native* native_ = nullptr;
  Status status_ = Gdiplus::Ok;
};

namespace detail {
Status DeleteGraphics(Gdiplus::GpGraphics* g);
Status DeletePath(Gdiplus::GpPath* p);
Status DeleteBrush(Gdiplus::GpBrush* b);
Status DeletePen(Gdiplus::GpPen* p);
Status DeleteFontFamily(Gdiplus::GpFontFamily* f);
Status DeleteFont(Gdiplus::GpFont* f);
Status DeleteStringFormat(Gdiplus::GpStringFormat* f);
Status DisposeImage(Gdiplus::GpImage* i);
Status DeleteRegion(Gdiplus::GpRegion* r);
}  // namespace detail

class GraphicsPath;
class Region;
class Image;

class Pen : public Wrapper<Gdiplus::GpPen, &detail::DeletePen> {
 public:
  explicit Pen(ARGB colour, float width = 1.0f, Gdiplus::Unit unit = Gdiplus::UnitWorld);
};

class Brush : public Wrapper<Gdiplus::GpBrush, &detail::DeleteBrush> {
 protected:
  Brush() = default;
};

class SolidBrush : public Brush {
 public:
  explicit SolidBrush(ARGB colour);
  bool SetColor(ARGB colour);
};

class LinearGradientBrush : public Brush {
 public:
  static LinearGradientBrush FromPoints(PointF from, PointF to, ARGB fromColour, ARGB toColour,
                                        Gdiplus::WrapMode wrap = Gdiplus::WrapModeTile);
  static LinearGradientBrush FromRect(
      const RectF& rect, ARGB fromColour, ARGB toColour,
      Gdiplus::LinearGradientMode mode = Gdiplus::LinearGradientModeHorizontal,
      Gdiplus::WrapMode wrap = Gdiplus::WrapModeTile);
  bool SetWrapMode(Gdiplus::WrapMode wrap);
  // Colours at positions 0..1 along the line instead of the two end colours; the first
  // position must be 0 and the last 1, with at least two stops of each.
  bool SetPresetBlend(std::span<const ARGB> colours, std::span<const float> positions);

 private:
  Gdiplus::GpLineGradient* line() const;
};

class PathGradientBrush : public Brush {
 public:
  static PathGradientBrush FromPath(const GraphicsPath& path);
  bool SetCenterColor(ARGB colour);
  // One colour per point of the path, or fewer: the last one repeats.
  bool SetSurroundColors(std::span<const ARGB> colours);

 private:
  Gdiplus::GpPathGradient* gradient() const;
};

class GraphicsPath : public Wrapper<Gdiplus::GpPath, &detail::DeletePath> {
 public:
  explicit GraphicsPath(Gdiplus::FillMode mode = Gdiplus::FillModeAlternate);
  bool AddLine(float x1, float y1, float x2, float y2);
  bool AddArc(const RectF& rect, float startAngle, float sweepAngle);
  bool AddRectangle(const RectF& rect);
  bool StartFigure();
  bool CloseFigure();
  bool GetBounds(RectF* bounds);  // world bounds, no transform, no pen
};

class FontFamily : public Wrapper<Gdiplus::GpFontFamily, &detail::DeleteFontFamily> {
 public:
  static FontFamily FromName(const std::wstring& name);  // from the installed fonts
};

class Font : public Wrapper<Gdiplus::GpFont, &detail::DeleteFont> {
 public:
  Font(const FontFamily& family, float size, int style = Gdiplus::FontStyleRegular,
       Gdiplus::Unit unit = Gdiplus::UnitPoint);
  static Font FromHdc(HDC dc);  // the font selected into the DC
  static Font FromLogfont(HDC dc, const LOGFONTW& logfont);
  float Size();  // in the font's own unit; 0 on failure

 private:
  Font() = default;
};

class StringFormat : public Wrapper<Gdiplus::GpStringFormat, &detail::DeleteStringFormat> {
 public:
  explicit StringFormat(int flags = 0, LANGID language = LANG_NEUTRAL);
  // An own copy of the generic typographic format: no padding around the measured text.
  static StringFormat GenericTypographic();
  bool SetAlignment(Gdiplus::StringAlignment align);
  bool SetLineAlignment(Gdiplus::StringAlignment align);
  bool SetFlags(int flags);
  bool SetTrimming(Gdiplus::StringTrimming trimming);

 private:
  struct Empty {};
  explicit StringFormat(Empty) {}
};

// A movable global memory block and a stream over it, holding the bytes an image is
// decoded from for as long as the image lives (GDI+ may read them again at any time).
class MemoryStream {
 public:
  MemoryStream() = default;
  // A copy of `bytes`; empty (no stream) when there are none or memory runs out.
  static MemoryStream FromBytes(std::span<const uint8_t> bytes);
  MemoryStream(MemoryStream&& o) noexcept
      : block_(std::exchange(o.block_, nullptr)), stream_(std::exchange(o.stream_, nullptr)) {}
  MemoryStream& operator=(MemoryStream&& o) noexcept;
  ~MemoryStream() { Release(); }
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;
  IStream* get() const { return stream_; }

 private:
  void Release();  // the stream first, then its block
  HGLOBAL block_ = nullptr;
  IStream* stream_ = nullptr;
};

// The encoder for an image format given as GUID text (kPngFormat …); false when the text
// is no GUID or no encoder handles that format.
bool FindEncoder(std::wstring_view formatGuidText, CLSID* encoder);
bool FindEncoder(const GUID& format, CLSID* encoder);

class Image : public Wrapper<Gdiplus::GpImage, &detail::DisposeImage> {
 public:
  Image() = default;
  Image(Image&& o) noexcept = default;
  Image& operator=(Image&& o) noexcept;
  ~Image();

  // Decodes the bytes of a ByteSet; the copy they are decoded from lives with the image.
  // No bytes give an empty image with a failed status.
  static Image FromByteSet(std::span<const uint8_t> bytes);
  static Image FromFile(const std::wstring& path);

  UINT Width();   // 0 on failure
  UINT Height();  // 0 on failure
  // Encodes to `stream` in the format given as GUID text, or in the image's own format
  // when none is given.
  bool Save(IStream* stream, std::wstring_view formatGuidText = {},
            const Gdiplus::EncoderParameters* parameters = nullptr);
  bool Save(const std::wstring& path, std::wstring_view formatGuidText = kBmpFormat,
            const Gdiplus::EncoderParameters* parameters = nullptr);
  // The encoded bytes (PNG unless told otherwise); empty on failure.
  std::vector<uint8_t> SaveToBytes(std::wstring_view formatGuidText = kPngFormat);

 protected:
  bool AdoptDecoded(Status s, Gdiplus::GpImage* created, MemoryStream stream);

 private:
  MemoryStream stream_;  // released after the image is disposed (see ~Image)
};

class Bitmap : public Image {
 public:
  Bitmap() = default;
  static Bitmap FromByteSet(std::span<const uint8_t> bytes);
  static Bitmap FromFile(const std::wstring& path);
  // A bitmap over caller's pixels when `scan0` is given (they must outlive it), else one
  // GDI+ allocates and clears.
  static Bitmap FromScan0(int width, int height, int stride = 0,
                          Gdiplus::PixelFormat format = PixelFormat32bppARGB,
                          BYTE* scan0 = nullptr);

  bool GetPixel(int x, int y, ARGB* colour);
  bool SetPixel(int x, int y, ARGB colour);
  bool SetResolution(float dpiX, float dpiY);
  // A GDI bitmap of the pixels over `background`; empty on failure.
  ScopedBitmap ToHbitmap(ARGB background = 0);
  // A new 32-bit ARGB bitmap holding this one turned by `angle` degrees (clockwise on
  // screen) about its centre, just large enough for the turned image, at this one's
  // resolution. Empty on failure.
  Bitmap Rotate(float angle);
  // Applies a GDI+ effect (its GUID and parameter block) to `area`, or to the whole bitmap
  // when it is null. Systems without effects (Wine) answer NotImplemented: false.
  bool ApplyEffect(const GUID& effect, const void* parameters, UINT size, RECT* area = nullptr);

  Gdiplus::GpBitmap* bitmap() const { return static_cast<Gdiplus::GpBitmap*>(native()); }
};

class Graphics : public Wrapper<Gdiplus::GpGraphics, &detail::DeleteGraphics> {
 public:
  static Graphics FromHdc(HDC dc);
  static Graphics FromHwnd(HWND window);
  static Graphics FromImage(const Image& image);

  bool SetSmoothingMode(Gdiplus::SmoothingMode mode);
  bool SetInterpolationMode(Gdiplus::InterpolationMode mode);
  bool SetCompositingMode(Gdiplus::CompositingMode mode);
  bool SetCompositingQuality(Gdiplus::CompositingQuality quality);
  bool SetPixelOffsetMode(Gdiplus::PixelOffsetMode mode);
  bool SetTextRenderingHint(Gdiplus::TextRenderingHint hint);

  bool SetClip(const GraphicsPath& path, Gdiplus::CombineMode mode = Gdiplus::CombineModeReplace);
  bool SetClip(const RectF& rect, Gdiplus::CombineMode mode = Gdiplus::CombineModeReplace);
  bool SetClip(const Region& region, Gdiplus::CombineMode mode = Gdiplus::CombineModeReplace);
  bool ResetClip();
  bool TranslateTransform(float dx, float dy);
  bool RotateTransform(float angle);
  bool ResetTransform();

  bool Clear(ARGB colour);
  bool Flush();  // finishes pending drawing before the pixels are read
  bool DrawLine(const Pen& pen, float x1, float y1, float x2, float y2);
  bool DrawPath(const Pen& pen, const GraphicsPath& path);
  bool FillPath(const Brush& brush, const GraphicsPath& path);
  bool FillRectangle(const Brush& brush, const RectF& rect);
  bool DrawImage(const Image& image, float x, float y);
  bool DrawImage(const Image& image, const RectF& dest);
  bool DrawImage(const Image& image, const RectF& dest, const RectF& source,
                 Gdiplus::Unit unit = Gdiplus::UnitPixel);
  bool DrawString(std::wstring_view text, const Font& font, const RectF& layout,
                  const StringFormat* format, const Brush& brush);
  bool MeasureString(std::wstring_view text, const Font& font, const RectF& layout,
                     const StringFormat* format, RectF* bounds);

 private:
  Graphics() = default;
};

class Region : public Wrapper<Gdiplus::GpRegion, &detail::DeleteRegion> {
 public:
  Region();  // the infinite region
  static Region FromRect(const RectF& rect);
  static Region FromPath(const GraphicsPath& path);
  static Region FromHrgn(HRGN region);  // a copy; the HRGN stays the caller's

  bool Combine(const Region& other, Gdiplus::CombineMode mode);
  bool Combine(const RectF& rect, Gdiplus::CombineMode mode);
  bool Combine(const GraphicsPath& path, Gdiplus::CombineMode mode);
  bool Translate(float dx, float dy);
  // Whether (x, y) lies in the region, in `graphics`' space when one is given.
  bool IsVisible(float x, float y, bool* visible, const Graphics* graphics = nullptr);

 private:
  struct Empty {};
  explicit Region(Empty) {}
};

}  // namespace board::gp
