#include "skin/win32/updown_skin.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "skin/colour.h"
#include "skin/win32/control_family.h"
#include "skin/win32/skin_drawing.h"

namespace board {

using gp::RectF;

namespace {

bool Horizontal(HWND control) { return (GetWindowLongPtrW(control, GWL_STYLE) & UDS_HORZ) != 0; }

// The two halves in client coordinates, the first being up (or left).
void Halves(HWND control, float w, float h, RectF& first, RectF& second) {
  if (Horizontal(control)) {
    const float half = std::floor(w / 2);
    first = RectF(0, 0, half, h);
    second = RectF(half, 0, w - half, h);
  } else {
    const float half = std::floor(h / 2);
    first = RectF(0, 0, w, half);
    second = RectF(0, half, w, h - half);
  }
}

}  // namespace

int UpDownHalfAt(HWND control, POINT p) {
  RECT client;
  GetClientRect(control, &client);
  if (!PtInRect(&client, p)) return 0;
  if (Horizontal(control)) return p.x < client.right / 2 ? 1 : 2;
  return p.y < client.bottom / 2 ? 1 : 2;
}

void PaintUpDown(SkinEngine& engine, HWND control, HDC dc) {
  RECT client;
  GetClientRect(control, &client);
  const FamilyMember member = FindMember(control, Family::kUpDown);
  const int hotPart = member && member.record->hot ? member.record->hotPart : 0;
  const int pressedPart = member ? member.record->pressedPart : 0;
  const bool enabled = IsWindowEnabled(control);
  const COLORREF theme = engine.settings().themeColour;
  const bool horizontal = Horizontal(control);
  const SkinImage arrows[2] = {horizontal ? SkinImage::kArrowLeft : SkinImage::kArrowUp,
                               horizontal ? SkinImage::kArrowRight : SkinImage::kArrowDown};

  ComposeOverSkin(engine, control, dc, client, [&](gp::Graphics& g, float w, float h) {
    RectF halves[2];
    Halves(control, w, h, halves[0], halves[1]);
    for (int i = 0; i < 2; ++i) {
      // A pixel apart, each half its own rounded button.
      const RectF r(halves[i].X + 0.5f, halves[i].Y + 0.5f, halves[i].Width - 2, halves[i].Height - 2);
      if (r.Width < 1 || r.Height < 1) continue;
      const float radius = std::min(4.0f, std::min(r.Width, r.Height) / 2);
      gp::GraphicsPath path;
      AddRoundRect(path, r.X, r.Y, r.Width, r.Height, radius);
      g.FillPath(gp::SolidBrush(ToArgb(0xFFFFFF, 160)), path);
      const int part = i + 1;
      if (enabled && (part == pressedPart || part == hotPart)) {
        // Pressed reads darker than hot: the gradient runs the other way.
        const bool pressed = part == pressedPart;
        g.FillPath(gp::LinearGradientBrush::FromRect(r, ToArgb(theme, pressed ? 100 : 150),
                                                     ToArgb(theme, pressed ? 150 : 100),
                                                     Gdiplus::LinearGradientModeVertical),
                   path);
      }
      g.DrawPath(gp::Pen(enabled ? ToArgb(theme, 200) : ToArgb(0, 70)), path);
      gp::Bitmap arrow = SkinPicture(arrows[i]);
      const float aw = float(arrow.Width()), ah = float(arrow.Height());
      if (aw > 0 && ah > 0)
        g.DrawImage(arrow, RectF(std::floor(r.X + (r.Width - aw) / 2 + 0.5f), std::floor(r.Y + (r.Height - ah) / 2 + 0.5f), aw, ah));
    }
  });
}

LRESULT CALLBACK UpDownWindowProc(HWND control, UINT message, WPARAM wp, LPARAM lp) {
  static constexpr SelfPainted kUpDown{Family::kUpDown, PaintUpDown, true, PointerLook::kParts, UpDownHalfAt};
  return SelfPaintedProc(kUpDown, control, message, wp, lp);
}

void InstallUpDowns(SkinEngine& engine, int windowIndex, HWND parent) {
  InstallFamily(engine, windowIndex, parent, UPDOWN_CLASSW, Family::kUpDown, UpDownWindowProc);
}

}  // namespace board
