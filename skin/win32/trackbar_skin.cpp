#include "skin/win32/trackbar_skin.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "skin/colour.h"
#include "skin/win32/control_family.h"
#include "skin/win32/skin_drawing.h"

namespace board {

using gp::RectF;

namespace {

constexpr float kChannelThickness = 6;

void FillRounded(gp::Graphics& g, const RectF& r, float radius, const gp::Brush& brush) {
  gp::GraphicsPath path;
  AddRoundRect(path, r.X, r.Y, r.Width, r.Height, radius);
  g.FillPath(brush, path);
}

// The channel along the trackbar's axis, in client coordinates. A vertical channel some
// systems report as if it lay across is turned back.
RECT ChannelOf(HWND control, bool vertical) {
  RECT channel{};
  SendMessageW(control, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  if (vertical && channel.right - channel.left > channel.bottom - channel.top)
    channel = {channel.top, channel.left, channel.bottom, channel.right};
  return channel;
}

}  // namespace

namespace {

// The tick marks, at the places the thumb's centre takes for their values: the range's
// ends and the ticks between (the system's own tick positions assume a horizontal bar).
std::vector<float> TickPlaces(HWND control, LONG_PTR style, const RECT& channel, const RECT& thumb) {
  std::vector<float> ticks;
  const bool vertical = (style & TBS_VERT) != 0;
  const int tickCount = int(SendMessageW(control, TBM_GETNUMTICS, 0, 0));
  const int low = int(SendMessageW(control, TBM_GETRANGEMIN, 0, 0));
  const int high = int(SendMessageW(control, TBM_GETRANGEMAX, 0, 0));
  if ((style & TBS_NOTICKS) || tickCount < 2 || high <= low) return ticks;
  const float half = float(vertical ? thumb.bottom - thumb.top : thumb.right - thumb.left) / 2;
  const float first = float(vertical ? channel.top : channel.left) + half;
  const float last = float(vertical ? channel.bottom : channel.right) - half;
  auto place = [&](int value) { return first + (last - first) * float(value - low) / float(high - low); };
  ticks = {place(low), place(high)};
  for (int i = 0; i < tickCount - 2; ++i) ticks.push_back(place(int(SendMessageW(control, TBM_GETTIC, WPARAM(i), 0))));
  return ticks;
}

// The thumb's white disc in `circle`, with a theme-coloured halo when hot and a thicker
// outline when hot or focused.
void DrawThumb(gp::Graphics& g, const RectF& circle, Gdiplus::LinearGradientMode crossMode, COLORREF theme,
               bool enabled, bool halo, bool thick) {
  gp::GraphicsPath disc;
  disc.AddArc(circle, 0, 360);
  disc.CloseFigure();
  if (halo) {
    gp::GraphicsPath ring;
    ring.AddArc(RectF(circle.X - 2, circle.Y - 2, circle.Width + 4, circle.Height + 4), 0, 360);
    g.FillPath(gp::SolidBrush(ToArgb(theme, 70)), ring);
  }
  g.FillPath(gp::LinearGradientBrush::FromRect(circle, White(255), ToArgb(0xF0F0F0), crossMode), disc);
  const gp::ARGB outline = enabled ? ToArgb(theme, 200) : Black(70);
  g.DrawPath(gp::Pen(outline, thick ? 2.0f : 1.2f), disc);
}

}  // namespace

void PaintTrackbar(SkinEngine& engine, HWND control, HDC dc) {
  RECT client;
  GetClientRect(control, &client);
  const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
  const bool vertical = (style & TBS_VERT) != 0;
  const RECT channel = ChannelOf(control, vertical);
  RECT thumb{};  // it stands at the position already: the value itself is not needed
  SendMessageW(control, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  const FamilyMember member = FindMember(control, Family::kTrackbar);
  const bool hot = member && member.record->hot;
  const bool focused = GetFocus() == control, enabled = IsWindowEnabled(control);
  const SkinSettings& s = engine.settings();
  const std::vector<float> ticks = TickPlaces(control, style, channel, thumb);

  ComposeOverSkin(engine, control, dc, client, [&](gp::Graphics& g, float w, float h) {
    // Positions along the axis (a) and across it (c); the channel lies on its centre line.
    const float a0 = float(vertical ? channel.top : channel.left);
    const float a1 = float(vertical ? channel.bottom : channel.right);
    const float across = vertical ? (channel.left + channel.right) / 2.0f : (channel.top + channel.bottom) / 2.0f;
    const float thumbAt = vertical ? (thumb.top + thumb.bottom) / 2.0f : (thumb.left + thumb.right) / 2.0f;
    auto span = [&](float from, float to) {
      const float c = across - kChannelThickness / 2;
      return vertical ? RectF(c, from, kChannelThickness, to - from) : RectF(from, c, to - from, kChannelThickness);
    };
    const RectF bar = span(a0, std::max(a1, a0 + 1));
    const auto crossMode = vertical ? Gdiplus::LinearGradientModeHorizontal : Gdiplus::LinearGradientModeVertical;
    gp::GraphicsPath path;
    AddRoundRect(path, bar.X, bar.Y, bar.Width, bar.Height, kChannelThickness);
    g.FillPath(gp::LinearGradientBrush::FromRect(bar, White(160), White(70), crossMode), path);
    g.DrawPath(gp::Pen(Black(30)), path);
    // Ticks beside the channel: below (right of) it, above (left of) it, or both.
    const gp::Pen tickPen(Black(80));
    const bool before = (style & (TBS_TOP | TBS_BOTH)) != 0, after = (style & TBS_TOP) == 0 || (style & TBS_BOTH);
    for (float t : ticks) {
      for (float side : {-1.0f, 1.0f}) {
        if ((side < 0 && !before) || (side > 0 && !after)) continue;
        const float c0 = across + side * (kChannelThickness / 2 + 5), c1 = c0 + side * 3;
        if (vertical)
          g.DrawLine(tickPen, c0, t + 0.5f, c1, t + 0.5f);
        else
          g.DrawLine(tickPen, t + 0.5f, c0, t + 0.5f, c1);
      }
    }
    if (style & TBS_NOTHUMB) return;
    // A nonzero control option shows the value: the channel from its start up to the thumb
    // is tinted with the theme colour.
    if (s.controlOption != 0 && thumbAt > a0 + 1) {
      const RectF done = span(a0, std::min(thumbAt, a1));
      FillRounded(g, done, kChannelThickness,
                  gp::LinearGradientBrush::FromRect(done, ToArgb(s.themeColour, enabled ? 200 : 60),
                                                    ToArgb(s.themeColour, enabled ? 120 : 30), crossMode));
    }
    // The thumb: a white circle on the channel, as large as the control's breadth allows.
    const float breadth = vertical ? w : h;
    const float thumbSize = float(std::min(thumb.right - thumb.left, thumb.bottom - thumb.top));
    const float d = std::clamp(std::min(thumbSize + 6, breadth - 3), 8.0f, 18.0f);
    const RectF circle = vertical ? RectF(across - d / 2, thumbAt - d / 2, d, d) : RectF(thumbAt - d / 2, across - d / 2, d, d);
    DrawThumb(g, circle, crossMode, s.themeColour, enabled, hot && enabled, (hot || focused) && enabled);
  });
}

void PaintProgressBar(SkinEngine& engine, HWND control, HDC dc) {
  RECT client;
  GetClientRect(control, &client);
  const bool vertical = (GetWindowLongPtrW(control, GWL_STYLE) & PBS_VERTICAL) != 0;
  PBRANGE range{};
  SendMessageW(control, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
  const int pos = int(SendMessageW(control, PBM_GETPOS, 0, 0));
  // A range of nothing, or a position outside it, shows an empty or a full bar.
  const double fraction = range.iHigh > range.iLow
                              ? std::clamp(double(pos - range.iLow) / double(range.iHigh - range.iLow), 0.0, 1.0)
                              : 0.0;
  const SkinSettings& s = engine.settings();

  ComposeOverSkin(engine, control, dc, client, [&](gp::Graphics& g, float w, float h) {
    const float outerRadius = std::min(6.0f, std::min(w, h) - 1);
    gp::GraphicsPath outer;
    AddRoundRect(outer, 0, 0, w - 1, h - 1, outerRadius);
    const auto crossMode = vertical ? Gdiplus::LinearGradientModeHorizontal : Gdiplus::LinearGradientModeVertical;
    g.FillPath(gp::LinearGradientBrush::FromRect(RectF(0, 0, w, h), White(160), Black(30), crossMode), outer);
    g.DrawPath(gp::Pen(Black(50)), outer);

    // The bar fills the trough inside a 2-pixel margin, from the left or from the bottom.
    const float innerLength = (vertical ? h : w) - 4;
    const float length = float(int(fraction * innerLength + 0.5));
    if (length < 1) return;
    const RectF bar = vertical ? RectF(2, 2 + innerLength - length, w - 4, length) : RectF(2, 2, length, h - 4);
    const float radius = std::min(3.0f, std::min(bar.Width, bar.Height));
    FillRounded(g, bar, radius,
                gp::LinearGradientBrush::FromRect(bar, ToArgb(s.themeColour, 255), ToArgb(s.themeColour, 150), crossMode));
    // The highlight: the upper (or left) half a shade lighter.
    const RectF shine = vertical ? RectF(bar.X, bar.Y, bar.Width / 2, bar.Height) : RectF(bar.X, bar.Y, bar.Width, bar.Height / 2);
    FillRounded(g, shine, std::min(radius, std::min(shine.Width, shine.Height)), gp::SolidBrush(White(90)));
  });
}

// Hover only: a trackbar shows no pressed part.
LRESULT CALLBACK TrackbarWindowProc(HWND control, UINT message, WPARAM wp, LPARAM lp) {
  static constexpr SelfPainted kTrackbar{Family::kTrackbar, PaintTrackbar, true, PointerLook::kHover};
  return SelfPaintedProc(kTrackbar, control, message, wp, lp);
}

// A progress bar has no hover look: mouse moves go straight to the control.
LRESULT CALLBACK ProgressBarWindowProc(HWND control, UINT message, WPARAM wp, LPARAM lp) {
  static constexpr SelfPainted kProgressBar{Family::kProgressBar, PaintProgressBar, true};
  return SelfPaintedProc(kProgressBar, control, message, wp, lp);
}

void InstallTrackbars(SkinEngine& engine, int windowIndex, HWND parent) {
  InstallFamily(engine, windowIndex, parent, TRACKBAR_CLASSW, Family::kTrackbar, TrackbarWindowProc);
}

void InstallProgressBars(SkinEngine& engine, int windowIndex, HWND parent) {
  InstallFamily(engine, windowIndex, parent, PROGRESS_CLASSW, Family::kProgressBar, ProgressBarWindowProc);
}

}  // namespace board
