// The faces of the skinned buttons: translucent rounded glass for push buttons, drawn glyphs
// for radio buttons, the stored box pictures for check boxes, and pictures for the picture
// buttons. Every face is composed on a copy of the skin behind the button and reaches the
// screen in one BitBlt, so no intermediate state ever shows.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/value_types.h"
#include "skin/colour.h"
#include "skin/win32/background_canvas.h"
#include "skin/win32/button_skin.h"
#include "skin/win32/control_records.h"
#include "skin/win32/gdiplus_objects.h"
#include "skin/win32/skin_drawing.h"
#include "skin/win32/skin_engine.h"
#include "skin/win32/skin_images.h"

namespace board {

namespace {

using gp::ARGB;
using gp::PointF;
using gp::RectF;

constexpr ARGB Argb(int a, int r, int g, int b) {
  return (ARGB(a) << 24) | (ARGB(r) << 16) | (ARGB(g) << 8) | ARGB(b);
}
// The focus glow keeps its own cyan, whatever the theme.
constexpr ARGB kFocusCyan = Argb(120, 34, 202, 221);
constexpr ARGB kHoverGlowCyan = Argb(30, 34, 202, 221);
constexpr float kCorner = 5;

// What a caption needs, read from the record and the button before the paint starts.
struct Caption {
  std::wstring text, fontName;
  int fontSize = 12;
  int fontStyle = 0;
  COLORREF colour = 0;
};

Caption CaptionOf(const ButtonRecord& record, HWND hwnd) {
  return {record.text, record.fontName, record.fontSize, record.fontStyle,
          COLORREF(PropInt(hwnd, kPropTextColour))};
}

void DrawCaption(gp::Graphics& g, SkinEngine& engine, const Caption& caption, const RectF& layout,
                 Gdiplus::StringAlignment alignment) {
  if (caption.text.empty()) return;
  CaptionTexts& texts = engine.captionTexts();
  const gp::Font& font = texts.Font(caption.fontName, caption.fontSize, caption.fontStyle);
  g.DrawString(caption.text, font, layout, &texts.LineCentred(alignment),
               gp::SolidBrush(ToArgb(caption.colour, 0, false)));
}

gp::LinearGradientBrush Vertical(float x, float top, float bottom, ARGB from, ARGB to) {
  return gp::LinearGradientBrush::FromPoints(PointF(x, top), PointF(x, bottom), from, to);
}

gp::GraphicsPath RoundRect(float x, float y, float w, float h) {
  gp::GraphicsPath path;
  AddRoundRect(path, x, y, w, h, kCorner);
  return path;
}

gp::GraphicsPath Ellipse(float x, float y, float diameter) {
  gp::GraphicsPath path;
  path.AddArc(RectF(x, y, diameter, diameter), 0, 360);
  path.CloseFigure();
  return path;
}

// Grey, with a band darkest at 60 % of the height, and a grey outline; it hides what lay
// under it. `next()` is the surface for each of its drawings in turn.
template <class Next>
void DrawDisabledFaceOn(Next&& next, float x, float y, float w, float h) {
  next().FillRectangle(gp::SolidBrush(Argb(255, 192, 192, 192)), RectF(x, y, w, h));
  const gp::GraphicsPath outline = RoundRect(x, y, w - 1, h - 1);
  gp::LinearGradientBrush band = Vertical(x, y, y + h, Argb(50, 255, 255, 255), Argb(50, 255, 255, 255));
  const ARGB colours[] = {Argb(50, 255, 255, 255), Argb(10, 0, 0, 0), Argb(50, 255, 255, 255)};
  const float positions[] = {0.0f, 0.6f, 1.0f};
  band.SetPresetBlend(colours, positions);
  next().FillPath(band, outline);
  next().DrawPath(gp::Pen(Argb(80, 0, 0, 0)), outline);
}

void DrawDisabledFace(gp::Graphics& g, float x, float y, float w, float h) {
  DrawDisabledFaceOn([&g]() -> gp::Graphics& { return g; }, x, y, w, h);
}

// The push button's glass, one drawing after another, each on the surface `next()` gives.
template <class Next>
void DrawPushFaceOn(Next&& next, float x, float y, float w, float h, UINT state, COLORREF theme) {
  const gp::GraphicsPath face = RoundRect(x, y, w - 1, h - 1);
  next().FillPath(gp::SolidBrush(Argb(120, 255, 255, 255)), face);
  if (state & kStateDisabled) {
    DrawDisabledFaceOn(next, x, y, w, h);  // no hover, focus or pressed look
    return;
  }
  next().FillPath(Vertical(x, y, y + h - 1, Argb(0, 255, 255, 255), Argb(60, 128, 128, 128)), face);
  gp::GraphicsPath gloss;
  AddTopRoundedPath(gloss, x, y, w - 1, float(std::lround(h * 0.5)), kCorner);
  next().FillPath(Vertical(x, y, y + h * 0.5f, Argb(50, 255, 255, 255), Argb(10, 255, 255, 255)), gloss);

  if (state & kStateHot) {
    next().FillPath(Vertical(x, y, y + h - 1, ToArgb(theme, 60), ToArgb(theme, 10)), face);
    next().DrawPath(gp::Pen(ToArgb(theme, 255)), face);
  } else if (state & kStateFocus) {
    DrawGlowOn(next, face, 3, kFocusCyan);
    next().DrawPath(gp::Pen(Argb(70, 0, 0, 0)), face);
  } else {
    next().DrawPath(gp::Pen(Argb(120, 0, 0, 0)), face);
  }
  if (state & kStatePressed) {
    const gp::GraphicsPath pressed = RoundRect(x + 2, y + 2, w - 3, h - 3);
    next().FillPath(Vertical(2, 2, h - 2, ToArgb(theme, 60), Argb(100, 255, 255, 255)), pressed);
  }
}

void DrawPushFace(gp::Graphics& g, float x, float y, float w, float h, UINT state, COLORREF theme) {
  DrawPushFaceOn([&g]() -> gp::Graphics& { return g; }, x, y, w, h, state, theme);
}

// The glass of one look, kept as its drawings: each drawn once on its own clear layer of
// the face's size, which then holds the very colours the drawing lays over what is under
// it. Laid over an opaque skin one after another as GDI+ lays a colour, they give the
// pixels the drawings give there (no smoothing: a drawing covers a pixel or leaves it), at
// a fraction of the cost of drawing them.
std::vector<uint32_t> PushFaceLayers(int width, int height, float x, float y, float w, float h, UINT state,
                                     COLORREF theme) {
  const size_t area = size_t(width) * size_t(height);
  std::vector<uint32_t> layers;
  layers.reserve(area * 8);
  std::optional<gp::Bitmap> layer;
  std::optional<gp::Graphics> surface;
  auto next = [&]() -> gp::Graphics& {
    surface.reset();  // the drawing before is done and its layer let go of
    layer.reset();
    layers.resize(layers.size() + area, 0);
    layer.emplace(gp::Bitmap::FromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                        reinterpret_cast<BYTE*>(layers.data() + layers.size() - area)));
    surface.emplace(gp::Graphics::FromImage(*layer));
    return *surface;
  };
  DrawPushFaceOn(next, x, y, w, h, state, theme);
  surface.reset();
  layer.reset();
  return layers;
}

// The hover look of the small glyphs: a theme wash fading downwards and a faint cyan glow.
void DrawGlyphHover(gp::Graphics& g, const gp::GraphicsPath& glyph, const RectF& area, COLORREF theme) {
  g.FillPath(gp::LinearGradientBrush::FromRect(area, ToArgb(theme, 100), ToArgb(theme, 0),
                                               Gdiplus::LinearGradientModeVertical),
             glyph);
  DrawGlow(g, glyph, 2, kHoverGlowCyan);
}

void DrawRadioGlyph(gp::Graphics& g, float x, float y, int h, bool hot, bool checked, COLORREF theme) {
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  const float top = y + float((h - 12) / 2);
  const gp::GraphicsPath outer = Ellipse(x + 2, top, 12);
  g.DrawPath(gp::Pen(Argb(200, 0, 0, 0)), outer);
  const float innerTop = y + float((h - 11) / 2 + 1);
  const gp::GraphicsPath inner = Ellipse(x + 3, innerTop, 9);
  const ARGB white = Argb(255, 255, 255, 255);
  g.FillPath(gp::SolidBrush(white), inner);
  g.DrawPath(gp::Pen(white), inner);
  // A shade from the top left, so the well looks sunken.
  g.FillPath(gp::LinearGradientBrush::FromRect(RectF(x + 3, innerTop, 10, 10), Argb(100, 0, 0, 0),
                                               Argb(0, 255, 255, 255),
                                               Gdiplus::LinearGradientModeForwardDiagonal),
             inner);
  if (hot) DrawGlyphHover(g, outer, RectF(x + 2, top, 11, 11), theme);
  if (checked) {
    const gp::GraphicsPath dot = Ellipse(x + 5, top + 3, 6);
    gp::PathGradientBrush fill = gp::PathGradientBrush::FromPath(dot);
    fill.SetCenterColor(Argb(100, 255, 255, 255));
    const ARGB rim[] = {Argb(255, 0, 128, 128)};
    fill.SetSurroundColors(rim);
    g.FillPath(fill, dot);
    g.DrawPath(gp::Pen(Argb(200, 0, 0, 0)), dot);
  }
}

void DrawCheckGlyph(gp::Graphics& g, float x, float y, int h, bool hot, bool checked, COLORREF theme) {
  const RectF box(x + 2, y + float((h - 13) / 2), 13, 13);
  g.DrawImage(gp::Image::FromByteSet(SkinImageFile(SkinImage::kCheckBoxEmpty)), box);
  if (checked) g.DrawImage(gp::Image::FromByteSet(SkinImageFile(SkinImage::kCheckBoxTicked)), box);
  if (hot) {
    gp::GraphicsPath square;
    square.AddRectangle(box);
    DrawGlyphHover(g, square, box, theme);
  }
}

// Faces already composed, kept by everything that went into one: the pixels behind it, its
// rectangle, its look, the theme and its caption. Moving over a row of buttons composes each
// look once; every later paint of it is one copy. The oldest go first beyond a few MiB.
class ComposedFaces {
 public:
  // One value more into a key.
  static void Mix(uint64_t& h, uint64_t v) {
    h = (h ^ v) * 0x9E3779B97F4A7C15ull;
    h ^= h >> 29;
  }
  static uint64_t Key(const SkinEngine::BackgroundPixels& behind, const RECT& rect, uint64_t look,
                      COLORREF theme, const Caption& caption) {
    uint64_t h = 0x6A09E667F3BCC909ull;
    auto mix = [&h](uint64_t v) { Mix(h, v); };
    for (const uint32_t* p = behind.bits; p != behind.bits + size_t(behind.width) * behind.height; ++p) mix(*p);
    for (uint64_t v : {uint64_t(behind.width), uint64_t(behind.height), uint64_t(uint32_t(rect.left)),
                       uint64_t(uint32_t(rect.top)), look, uint64_t(theme), uint64_t(caption.colour),
                       uint64_t(caption.fontSize), uint64_t(caption.fontStyle)})
      mix(v);
    for (const std::wstring* text : {&caption.text, &caption.fontName}) {
      mix(text->size());
      for (wchar_t c : *text) mix(uint64_t(c));
    }
    return h;
  }
  const std::vector<uint32_t>* Find(uint64_t key, size_t pixels) const {
    const std::vector<uint32_t>* found = Find(key);
    return found && found->size() == pixels ? found : nullptr;
  }
  const std::vector<uint32_t>* Find(uint64_t key) const {
    for (const Entry& e : entries_)
      if (e.key == key) return &e.pixels;
    return nullptr;
  }
  void Keep(uint64_t key, const uint32_t* pixels, size_t count) {
    while (!entries_.empty() && bytes_ + count * 4 > kMaxBytes) {
      bytes_ -= entries_.front().pixels.size() * 4;
      entries_.erase(entries_.begin());
    }
    if (count * 4 > kMaxBytes) return;
    entries_.push_back({key, std::vector<uint32_t>(pixels, pixels + count)});
    bytes_ += count * 4;
  }

 private:
  static constexpr size_t kMaxBytes = size_t(4) << 20;
  struct Entry {
    uint64_t key;
    std::vector<uint32_t> pixels;
  };
  std::vector<Entry> entries_;
  size_t bytes_ = 0;
};

ComposedFaces& Composed() {
  static ComposedFaces faces;
  return faces;
}

// The push faces' glass, kept per look as its layers (a key of its own, from no background).
ComposedFaces& GlassLayers() {
  static ComposedFaces layers;
  return layers;
}

// The frame of every paint: the button's record, the skin behind it, a GDI+ surface on that
// copy for `draw`(graphics, engine, record, caption, face) and one copy to `dc` after the
// surface is gone. A button the skin did not register is not painted. `look` names everything
// the drawing reads beyond the kept faces' key; a face drawn from pictures (nullopt) is
// composed every time.
struct Face {
  float x, y, w, h;
  // The composing surface's own pixels, width × height; null when it draws through a DC.
  uint32_t* bits;
  int width, height;
};

// The glass of a look laid over the composing surface's pixels, its layers made on first
// use; false, with nothing laid, over a skin that is not opaque throughout.
bool LayPushFace(const Face& f, UINT state, COLORREF theme) {
  const size_t area = size_t(f.width) * size_t(f.height);
  for (size_t i = 0; i < area; ++i)
    if (f.bits[i] >> 24 != 0xFF) return false;
  uint64_t key = 0xBB67AE8584CAA73Bull;
  for (uint64_t v : {uint64_t(f.width), uint64_t(f.height), uint64_t(std::bit_cast<uint32_t>(f.x)),
                     uint64_t(std::bit_cast<uint32_t>(f.y)), uint64_t(std::bit_cast<uint32_t>(f.w)),
                     uint64_t(std::bit_cast<uint32_t>(f.h)), uint64_t(state), uint64_t(theme)})
    ComposedFaces::Mix(key, v);
  const std::vector<uint32_t>* layers = GlassLayers().Find(key);
  std::vector<uint32_t> made;
  if (!layers) {
    made = PushFaceLayers(f.width, f.height, f.x, f.y, f.w, f.h, state, theme);
    GlassLayers().Keep(key, made.data(), made.size());
    layers = &made;
  }
  for (size_t at = 0; area && at + area <= layers->size(); at += area)
    for (size_t i = 0; i < area; ++i) f.bits[i] = StraightOverOpaque(f.bits[i], (*layers)[at + i]);
  return true;
}

template <class Draw>
void ComposeFace(HWND hwnd, HDC dc, const RECT& rect, std::optional<uint64_t> look, Draw&& draw) {
  SkinEngine* engine = SkinEngine::Instance();
  const ButtonRecord* record = engine ? FindButtonRecord(*engine, hwnd) : nullptr;
  if (!record || !dc) return;
  const Caption caption = CaptionOf(*record, hwnd);
  BackgroundCanvas canvas(*engine, hwnd, rect);
  if (!canvas) return;
  const SkinEngine::BackgroundPixels behind = engine->PixelsOf(canvas.get());
  const size_t count = size_t(behind.width) * size_t(behind.height);
  std::optional<uint64_t> key;
  if (look && behind.bits) {
    GdiFlush();
    key = ComposedFaces::Key(behind, rect, *look, engine->settings().themeColour, caption);
    if (const std::vector<uint32_t>* kept = Composed().Find(*key, count)) {
      std::memcpy(behind.bits, kept->data(), count * 4);
      canvas.CopyTo(dc);
      return;
    }
  }
  {
    gp::Graphics g = canvas.Surface();
    draw(g, *engine, *record, caption,
         Face{float(rect.left), float(rect.top), float(rect.right - rect.left), float(rect.bottom - rect.top),
              behind.bits, behind.width, behind.height});
  }
  if (key) {
    GdiFlush();  // a surface that fell back to the DC drew through GDI
    Composed().Keep(*key, behind.bits, count);
  }
  canvas.CopyTo(dc);
}

// Check boxes and radio buttons: the glyph at the left, the caption beside it.
void PaintChoice(HWND hwnd, HDC dc, UINT state, const RECT& rect, bool radio) {
  const bool checked = SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
  ComposeFace(hwnd, dc, rect, std::nullopt, [&](gp::Graphics& g, SkinEngine& engine, const ButtonRecord&,
                                                const Caption& caption, Face f) {
    const COLORREF theme = engine.settings().themeColour;
    const bool hot = (state & kStateHot) != 0;
    if (state & kStateDisabled) {
      DrawDisabledFace(g, f.x, f.y, f.w, f.h);
    } else if (radio) {
      DrawRadioGlyph(g, f.x, f.y, int(f.h), hot, checked, theme);
    } else {
      DrawCheckGlyph(g, f.x, f.y, int(f.h), hot, checked, theme);
    }
    DrawCaption(g, engine, caption, RectF(f.x + 17, 2, f.w - 19, f.h), Gdiplus::StringAlignmentNear);
  });
}

// The file inside a stored picture: a ByteSet is unwrapped, a bare image file kept.
std::span<const uint8_t> PictureFile(const std::vector<uint8_t>& stored) {
  const std::span<const uint8_t> inner = ByteSetBytes(stored);
  return inner.empty() ? std::span<const uint8_t>(stored) : inner;
}

// Which picture, or which slice of the one picture, a state shows: pressed, then hot,
// disabled and focused, else normal.
enum Look { kNormal, kHot, kPressed, kDisabled, kFocused };
Look LookOf(UINT state) {
  if (state & kStateDisabled) return kDisabled;
  if (state & kStatePressed) return kPressed;
  if (state & kStateHot) return kHot;
  if (state & kStateFocus) return kFocused;
  return kNormal;
}

// `source` of the picture stretched over `dest`. A stretched picture is read from half a
// pixel inside its edges, so the smoothing never blends in the transparent outside.
bool DrawStretched(gp::Graphics& g, gp::Image& image, const RectF& dest, RectF source) {
  if (source.Width != dest.Width || source.Height != dest.Height) {
    if (source.Width > 1) source.X += 0.5f, source.Width -= 1;
    if (source.Height > 1) source.Y += 0.5f, source.Height -= 1;
  }
  return g.DrawImage(image, dest, source);
}

// Draws the state's picture over `dest`; false when no picture decodes.
bool DrawPicture(gp::Graphics& g, const ButtonRecord& record, Look look, const RectF& dest) {
  if (record.kind == ButtonKind::kImage) {
    // One picture of `number` equal slices side by side, in Look order; a state without a
    // slice shows the first.
    gp::Image image = gp::Image::FromByteSet(PictureFile(record.images[0]));
    const int slices = record.number < 1 ? 1 : record.number > 5 ? 5 : record.number;
    const float sliceWidth = float(image.Width()) / float(slices);
    if (!image || sliceWidth <= 0) return false;
    const int slice = int(look) < slices ? int(look) : 0;
    return DrawStretched(g, image, dest, RectF(sliceWidth * float(slice), 0, sliceWidth, float(image.Height())));
  }
  // Four pictures: normal, hot, pressed, disabled; focus shows the normal one. A missing
  // picture falls back to the normal one.
  const size_t wanted = look == kFocused ? 0 : size_t(look);
  for (size_t slot : {wanted, size_t(0)}) {
    gp::Image image = gp::Image::FromByteSet(PictureFile(record.images[slot]));
    if (image && DrawStretched(g, image, dest, RectF(0, 0, float(image.Width()), float(image.Height()))))
      return true;
  }
  return false;
}

}  // namespace

void PaintPushButton(HWND hwnd, HDC dc, UINT state, const RECT& rect) {
  ComposeFace(hwnd, dc, rect, uint64_t(state), [state](gp::Graphics& g, SkinEngine& engine, const ButtonRecord&,
                                                       const Caption& caption, Face f) {
    const COLORREF theme = engine.settings().themeColour;
    if (!f.bits || !LayPushFace(f, state, theme)) DrawPushFace(g, f.x, f.y, f.w, f.h, state, theme);
    // Two pixels below the true centre.
    DrawCaption(g, engine, caption, RectF(0, 2, f.w, f.h), Gdiplus::StringAlignmentCenter);
  });
}

void PaintRadioButton(HWND hwnd, HDC dc, UINT state, const RECT& rect) {
  PaintChoice(hwnd, dc, state, rect, true);
}

void PaintCheckBox(HWND hwnd, HDC dc, UINT state, const RECT& rect) {
  PaintChoice(hwnd, dc, state, rect, false);
}

void PaintImageButton(HWND hwnd, HDC dc, UINT state, const RECT& rect) {
  ComposeFace(hwnd, dc, rect, std::nullopt, [state](gp::Graphics& g, SkinEngine& engine, const ButtonRecord& record,
                                                    const Caption& caption, Face f) {
    const Look look = LookOf(state);
    if (!DrawPicture(g, record, look, RectF(f.x, f.y, f.w, f.h))) {
      DrawPushFace(g, f.x, f.y, f.w, f.h, state, engine.settings().themeColour);
    } else if (look == kFocused && !(record.kind == ButtonKind::kImage && record.number >= 5)) {
      // No picture of its own for focus: the push button's glow marks it.
      DrawGlow(g, RoundRect(f.x, f.y, f.w - 1, f.h - 1), 3, kFocusCyan);
    }
    // A pressed picture button's caption sinks by a pixel with it.
    const float sink = look == kPressed ? 1.0f : 0.0f;
    DrawCaption(g, engine, caption, RectF(sink, 2 + sink, f.w, f.h), Gdiplus::StringAlignmentCenter);
  });
}

}  // namespace board
