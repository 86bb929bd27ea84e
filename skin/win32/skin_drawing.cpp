#include "skin/win32/skin_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/win32/scoped_win.h"
#include "skin/rounded_outline.h"

namespace board {

using gp::RectF;

void AddRoundRect(gp::GraphicsPath& path, float x, float y, float w, float h, float r) {
  for (const ArcSpec& a : RoundRectArcs(x, y, w, h, r))
    path.AddArc(RectF(a.x, a.y, a.width, a.height), a.startAngle, a.sweepAngle);
  path.CloseFigure();
}

void AddTopRoundedPath(gp::GraphicsPath& path, float x, float y, float w, float h, float r) {
  path.AddLine(x, y + h, x, y + r);
  path.AddArc(RectF(x, y, r, r), 180, 90);
  path.AddLine(x + r, y, x + w - r, y);
  path.AddArc(RectF(x + w - r, y, r, r), 270, 90);
  path.AddLine(x + w, y + r, x + w, y + h);
}

void DrawGlow(gp::Graphics& graphics, const gp::GraphicsPath& path, int n, gp::ARGB colour) {
  DrawGlowOn([&graphics]() -> gp::Graphics& { return graphics; }, path, n, colour);
}

ControlFont ReadControlFont(HWND control) {
  LOGFONTW lf{};
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  if (!font || !GetObjectW(font, sizeof(lf), &lf)) {
    ScopedGetDc dc(control);
    GetObjectW(GetCurrentObject(dc.get(), OBJ_FONT), sizeof(lf), &lf);
  }
  // What GDI+ makes of a font depends only on the font and the screen, and a form's controls
  // share a few fonts: each is asked once (a GDI+ font costs a family lookup under Wine).
  struct Known {
    LOGFONTW font;
    ControlFont read;
  };
  static std::vector<Known> known;
  for (const Known& k : known)
    if (std::memcmp(&k.font, &lf, sizeof(lf)) == 0) return k.read;
  ScopedGetDc dc(control);
  gp::Font gpFont = gp::Font::FromLogfont(dc.get(), lf);
  ControlFont out;
  out.family = lf.lfFaceName;
  out.size = int(std::lround(gpFont.Size()));
  out.style = (lf.lfWeight >= FW_BOLD ? 1 : 0) | (lf.lfItalic ? 2 : 0) | (lf.lfUnderline ? 4 : 0) |
              (lf.lfStrikeOut ? 8 : 0);
  if (known.size() >= 16) known.erase(known.begin());
  known.push_back({lf, out});
  return out;
}

const gp::Font& CaptionTexts::Font(const std::wstring& family, int size, int style) {
  for (const KeptFont& k : fonts_)
    if (k.size == size && k.style == style && k.family == family) return k.font;
  if (fonts_.size() >= kMaxFonts) fonts_.clear();
  fonts_.push_back({family, size, style, CaptionFont(family, size, style)});
  return fonts_.back().font;
}

const gp::StringFormat& CaptionTexts::LineCentred(Gdiplus::StringAlignment alignment) {
  // An alignment GDI+ does not name is taken as the last it does.
  const size_t slot = std::min(size_t(alignment), formats_.size() - 1);
  std::optional<gp::StringFormat>& kept = formats_[slot];
  if (!kept) {
    kept.emplace();
    kept->SetAlignment(Gdiplus::StringAlignment(slot));
    kept->SetLineAlignment(Gdiplus::StringAlignmentCenter);
  }
  return *kept;
}

gp::Font CaptionFont(const std::wstring& family, int size, int style) {
  for (const std::wstring& candidate : {family, std::wstring(L"宋体"), std::wstring(L"Tahoma")}) {
    if (candidate.empty()) continue;
    if (gp::FontFamily f = gp::FontFamily::FromName(candidate))
      return gp::Font(f, float(size), style, Gdiplus::UnitWorld);  // world units: pixels
  }
  return gp::Font(gp::FontFamily::FromName(L"Tahoma"), float(size), style, Gdiplus::UnitWorld);
}

}  // namespace board
