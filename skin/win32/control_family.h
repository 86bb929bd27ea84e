// What the families of self-painted controls share (trackbars, progress bars, up-downs,
// headers, transparent controls): registration into a window's list, the lookup of a
// control's record, the hover bookkeeping, and composing a paint off screen over the skin
// behind the control.
#pragma once
#include <windows.h>


#include "skin/skin_images.h"
#include "skin/win32/background_canvas.h"
#include "skin/win32/control_records.h"
#include "skin/win32/control_registry.h"
#include "skin/win32/gdiplus_objects.h"
#include "skin/win32/skin_engine.h"

namespace board {

// Registers every direct child of `parent` of class `className` not registered yet: a
// record in the family's list, its properties, and `proc` in front of its own procedure.
// Nothing happens while control skinning is off.
void InstallFamily(SkinEngine& engine, int windowIndex, HWND parent, const wchar_t* className,
                   Family family, WNDPROC proc);

// A control's record; every field is null when the engine, the window or the record is gone.
using FamilyMember = FoundControl<SkinControlRecord>;
inline FamilyMember FindMember(HWND control, Family family) { return FindRecord<SkinControlRecord>(control, family); }

// Hover: true when the control is not yet drawn hot (another control or family is), and
// makes it the hot one. `hotClass` is the family's class.
bool BecomeHot(const FamilyMember& m, int32_t hotClass);
// The pointer left: the window-wide hot index is cleared only when it still names this
// control, so a neighbour that became hot first keeps its state.
void LeaveHot(const FamilyMember& m, int32_t hotClass);
bool IsHot(const FamilyMember& m, int32_t hotClass);

using Painter = void (*)(SkinEngine&, HWND, HDC);

// What the pointer does over a self-painted control: nothing, a hover look, or a hover look
// and a pressed look on the part under it (an up-down's halves, a header's items).
enum class PointerLook : uint8_t { kNone, kHover, kParts };

// A self-painted family, as its procedure needs it.
struct SelfPainted {
  Family family;
  Painter paint;
  bool ownFrame;  // the system draws no frame
  PointerLook pointer = PointerLook::kNone;
  int (*partAt)(HWND, POINT) = nullptr;  // kParts: the part at a client point (0: none)
};

// The procedure every self-painted family shares: WM_NCDESTROY forgets the control; the
// pointer messages its look needs set the hover and the pressed part and repaint on a
// change, the control's own procedure still seeing them; a move repaints it, a paint is the
// family's painter, the background is never erased (the paint covers it), and with
// `ownFrame` the system draws no frame. Everything else goes to the control's procedure.
LRESULT SelfPaintedProc(const SelfPainted& f, HWND control, UINT message, WPARAM wp, LPARAM lp);

struct NoGdiPass {
  void operator()(HDC) const {}
};

// Composes `paint(graphics, width, height)` (anti-aliased) over the skin behind `rect` of
// `control`, then `gdiPass(dc)` with GDI on the same pixels (text, where GDI's is faster
// and trims with an ellipsis), and copies the result to `dc` at the rectangle's origin with
// one BitBlt.
template <class Paint, class GdiPass = NoGdiPass>
bool ComposeOverSkin(SkinEngine& engine, HWND control, HDC dc, const RECT& rect, Paint&& paint,
                     GdiPass&& gdiPass = {}) {
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (!dc || width <= 0 || height <= 0) return false;
  BackgroundCanvas canvas(engine, control, rect);
  if (!canvas) return false;
  {
    gp::Graphics g = canvas.Surface();
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    paint(g, float(width), float(height));
    g.Flush();
  }  // GDI+ lets go of the pixels before GDI draws on them or they are copied
  gdiPass(canvas.get());
  return BitBlt(dc, rect.left, rect.top, width, height, canvas.get(), 0, 0, SRCCOPY) != 0;
}

// One of the skin's small pictures (the arrows), decoded once per process into plain
// pixels, and a GDI+ bitmap over them for one paint; empty when the picture is missing or
// more than 64 pixels on a side.
gp::Bitmap SkinPicture(SkinImage image);

// Runs `paint(dc)` for a WM_PAINT: into the DC a caller handed in wParam, else between
// BeginPaint and EndPaint. Returns the message's result.
template <class Paint>
LRESULT PaintMessage(HWND control, WPARAM wp, Paint&& paint) {
  if (wp) {
    paint(reinterpret_cast<HDC>(wp));
    return 0;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(control, &ps);
  if (dc) paint(dc);
  EndPaint(control, &ps);
  return 0;
}

}  // namespace board
