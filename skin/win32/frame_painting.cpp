#include "skin/win32/frame_painting.h"

#include <algorithm>
#include <array>

#include "skin/colour.h"
#include "skin/win32/background_canvas.h"

namespace board {

using gp::RectF;

bool Transparent(const SkinEngine& engine) { return engine.settings().controlAlphaGiven != 0; }

namespace {

RectF ToRectF(const RECT& r) {
  return RectF(float(r.left), float(r.top), float(r.right - r.left), float(r.bottom - r.top));
}

// A scroll bar's rectangle in window coordinates, empty when the style has none or the
// system keeps it hidden.
RECT ScrollBarRect(HWND control, LONG objectId, const RECT& window) {
  SCROLLBARINFO info{};
  info.cbSize = sizeof(info);
  if (!GetScrollBarInfo(control, objectId, &info) || (info.rgstate[0] & STATE_SYSTEM_INVISIBLE))
    return {};
  RECT r = info.rcScrollBar;
  OffsetRect(&r, -window.left, -window.top);
  return r;
}

}  // namespace

FrameGeometry MeasureFrame(HWND control) {
  FrameGeometry g;
  RECT window{}, client{};
  if (!GetWindowRect(control, &window) || !GetClientRect(control, &client)) return g;
  g.width = window.right - window.left;
  g.height = window.bottom - window.top;
  const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
  if (style & WS_VSCROLL) g.vscroll = ScrollBarRect(control, OBJID_VSCROLL, window);
  if (style & WS_HSCROLL) g.hscroll = ScrollBarRect(control, OBJID_HSCROLL, window);
  const int barWidth = g.vscroll.right - g.vscroll.left;
  const int barHeight = g.hscroll.bottom - g.hscroll.top;
  const int x = std::max(0, int(g.width - client.right - barWidth) / 2);
  const int y = std::max(0, int(g.height - client.bottom - barHeight) / 2);
  g.client = {x, y, x + client.right, y + client.bottom};
  return g;
}

bool PointerOver(HWND window) {
  POINT p;
  RECT r;
  return GetCursorPos(&p) && GetWindowRect(window, &r) && PtInRect(&r, p);
}

bool HasScrollBars(HWND control) {
  return (GetWindowLongPtrW(control, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL)) != 0;
}

ScopedRegion ScrollBarRegion(HWND control) {
  const FrameGeometry g = MeasureFrame(control);
  ScopedRegion region;
  for (const RECT& bar : {g.vscroll, g.hscroll}) {
    if (IsRectEmpty(&bar)) continue;
    ScopedRegion one(CreateRectRgnIndirect(&bar));
    if (!region)
      region = std::move(one);
    else if (one)
      CombineRgn(region.get(), region.get(), one.get(), RGN_OR);
  }
  return region;
}

LRESULT LetSystemPaintScrollBars(HWND control, LPARAM lp) {
  ScopedRegion bars = ScrollBarRegion(control);
  if (!bars) return 0;  // nothing of the frame is the system's to draw
  RECT window;
  GetWindowRect(control, &window);
  OffsetRgn(bars.get(), window.left, window.top);
  return DefWindowProcW(control, WM_NCPAINT, reinterpret_cast<WPARAM>(bars.get()), lp);
}

void DrawBorderRing(gp::Graphics& graphics, float w, float h, float width, gp::ARGB colour) {
  const float t = std::max(1.0f, width);
  const gp::SolidBrush border(colour);
  for (const RectF& bar : {RectF(0, 0, w, t), RectF(0, h - t, w, t), RectF(0, t, t, h - 2 * t),
                           RectF(w - t, t, t, h - 2 * t)})
    graphics.FillRectangle(border, bar);
}

void PaintControlFrame(SkinEngine& engine, HWND control, const FrameLook& look) {
  const FrameGeometry g = MeasureFrame(control);
  if (g.width <= 0 || g.height <= 0) return;
  if (g.client.left == 0 && g.client.top == 0 && g.client.right == g.width && g.client.bottom == g.height)
    return;  // no frame (the edit inside a combo box)
  // The background is asked for in client coordinates, so the window starts left of and
  // above the client origin.
  const RECT area{-g.client.left, -g.client.top, g.width - g.client.left, g.height - g.client.top};
  BackgroundCanvas background(engine, control, area);
  HDC b = background.get();
  if (!b) return;
  const std::array<RECT, 3> theirs{g.client, g.vscroll, g.hscroll};
  // The frame's four sides round the client area (the scroll bars lie in the right and
  // bottom ones).
  const RECT& c = g.client;
  const std::array<RECT, 4> sides{RECT{0, 0, g.width, c.top}, RECT{0, c.bottom, g.width, g.height},
                                  RECT{0, c.top, c.left, c.bottom}, RECT{c.right, c.top, g.width, c.bottom}};
  {
    gp::Graphics graphics = background.Surface();
    const SkinSettings& s = engine.settings();
    const float w = float(g.width), h = float(g.height);
    // The wash covers the frame's four sides only: filling the client area too, even
    // clipped away, costs as much again as the whole frame.
    const gp::SolidBrush wash(ToArgb(0xFFFFFF, s.controlAlphaGiven ? s.controlAlpha : 255));
    for (const RECT& side : sides)
      if (!IsRectEmpty(&side)) graphics.FillRectangle(wash, ToRectF(side));
    DrawBorderRing(graphics, w, h, look.penWidth, look.border);
  }
  // The scroll bars are the system's: cut out afterwards rather than clipped away while
  // drawing, as Wine's GDI+ draws far slower through a clip.
  if (look.keyed) {
    ScopedBrush magenta(CreateSolidBrush(kKeyMagenta));
    for (const RECT& bar : {g.vscroll, g.hscroll}) FillRect(b, &bar, magenta.get());
  }
  ScopedGetDc dc(control, ScopedGetDc::kWholeWindow);
  if (look.keyed) {
    // Side by side, so the keyed copy never reads or writes the client area, which is the
    // bulk of the control and would all be keyed out anyway.
    for (const RECT& side : sides)
      if (!IsRectEmpty(&side))
        TransparentBlt(dc.get(), side.left, side.top, side.right - side.left, side.bottom - side.top, b,
                       side.left, side.top, side.right - side.left, side.bottom - side.top, kKeyMagenta);
    return;
  }
  for (const RECT& r : theirs)
    if (!IsRectEmpty(&r)) ExcludeClipRect(dc.get(), r.left, r.top, r.right, r.bottom);
  BitBlt(dc.get(), 0, 0, g.width, g.height, b, 0, 0, SRCCOPY);
}

void PaintWashedBackground(SkinEngine& engine, HWND control, HDC dc) {
  RECT client{};
  GetClientRect(control, &client);
  if (IsRectEmpty(&client)) return;
  BackgroundCanvas background(engine, control, client);
  if (!background.get()) return;
  {
    gp::Graphics graphics = background.Surface();
    graphics.FillRectangle(gp::SolidBrush(ToArgb(0xFFFFFF, engine.settings().controlAlpha)), ToRectF(client));
  }
  BitBlt(dc, 0, 0, client.right, client.bottom, background.get(), 0, 0, SRCCOPY);
}

}  // namespace board
