// The GDI+ objects' status and deleters, and the plain objects: pens, brushes, paths,
// fonts and string formats, regions. Pictures and drawing surfaces have files of their own.
#include "skin/win32/gdiplus_objects.h"

#include <climits>

namespace board::gp {

using namespace Gdiplus;

namespace {

Status g_lastStatus = Ok;

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
