#include "skin/win32/control_family.h"

#include <optional>
#include <vector>

#include "skin/win32/pixel_cache.h"
#include "skin/win32/skin_images.h"

// Last: its message-cracker macros would rename the GDI+ wrappers declared above.
#include <windowsx.h>

namespace board {

void InstallFamily(SkinEngine& engine, int windowIndex, HWND parent, const wchar_t* className,
                   Family family, WNDPROC proc) {
  if (!engine.settings().controlsEnabled || !parent) return;
  ForEachChildOfClass(parent, className, [&](HWND child) {
    if (RegisterControl<SkinControlRecord>(engine, windowIndex, family, child, proc))
      InvalidateRect(child, nullptr, TRUE);
  });
}

bool IsHot(const FamilyMember& m, int32_t hotClass) {
  return m && m.controls->hotIndex == m.listIndex && m.controls->hotClass == hotClass;
}

bool BecomeHot(const FamilyMember& m, int32_t hotClass) {
  if (!m) return false;
  m.controls->pointerIndex = m.listIndex;
  if (IsHot(m, hotClass)) return false;
  m.controls->hotIndex = m.listIndex;
  m.controls->hotClass = hotClass;
  m.record->hot = true;
  return true;
}

void LeaveHot(const FamilyMember& m, int32_t hotClass) {
  if (!m) return;
  if (IsHot(m, hotClass)) m.controls->hotIndex = 0;
  m.record->hot = false;
  m.record->hotPart = 0;
}

namespace {

POINT MousePoint(LPARAM lp) { return {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}; }

// Paints now, through the control's own DC (hover and press changes).
void PaintNow(const SelfPainted& f, SkinEngine& engine, HWND control) {
  ScopedGetDc dc(control);
  if (dc.get()) f.paint(engine, control, dc.get());
}

bool IsPointerMessage(PointerLook look, UINT message) {
  switch (look) {
    case PointerLook::kNone: return false;
    case PointerLook::kHover: return message == WM_MOUSEMOVE || message == WM_MOUSELEAVE;
    case PointerLook::kParts:
      return message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK ||
             message == WM_LBUTTONUP || message == WM_CAPTURECHANGED || message == WM_MOUSELEAVE;
  }
  return false;
}

int PartAt(const SelfPainted& f, HWND control, LPARAM lp) {
  return f.partAt ? f.partAt(control, MousePoint(lp)) : 0;
}

// Every message still reaches the control's own procedure; the result is its answer.
LRESULT PointerMessage(const SelfPainted& f, HWND control, UINT message, WPARAM wp, LPARAM lp) {
  FamilyMember m = FindMember(control, f.family);
  if (!m) return CallPreviousProc(control, message, wp, lp);
  SkinEngine& engine = *m.engine;
  const int32_t hotClass = HotClassOf(f.family);
  switch (message) {
    case WM_MOUSEMOVE: {
      TrackMouseLeave(control);
      const int part = PartAt(f, control, lp);
      const bool moved = part != m.record->hotPart;
      m.record->hotPart = part;
      if (BecomeHot(m, hotClass) || moved) PaintNow(f, engine, control);
      break;
    }
    case WM_MOUSELEAVE:
      LeaveHot(m, hotClass);
      PaintNow(f, engine, control);
      break;
    default: {
      const bool down = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
      m.record->pressedPart = down ? PartAt(f, control, lp) : 0;
      m.record->mouseDown = down;
      // The control's own handling comes first (it may repaint); the pressed look last. The
      // record may have moved meanwhile: it is looked up again.
      const LRESULT result = CallPreviousProc(control, message, wp, lp);
      if (FindMember(control, f.family)) PaintNow(f, engine, control);
      return result;
    }
  }
  return CallPreviousProc(control, message, wp, lp);
}

std::optional<LRESULT> PaintingMessage(const SelfPainted& f, SkinEngine& engine, HWND control, UINT message,
                                       WPARAM wp) {
  switch (message) {
    case WM_MOVE:
      InvalidateRect(control, nullptr, TRUE);
      break;
    case WM_PAINT:
      return PaintMessage(control, wp, [&](HDC dc) { f.paint(engine, control, dc); });
    case WM_ERASEBKGND:
      return 1;
    case WM_NCPAINT:
      if (f.ownFrame) return 0;
      break;
  }
  return std::nullopt;
}

}  // namespace

LRESULT SelfPaintedProc(const SelfPainted& f, HWND control, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_NCDESTROY) return DestroyedControl(control, PropSlot::kMain, wp, lp);
  if (IsPointerMessage(f.pointer, message)) return PointerMessage(f, control, message, wp, lp);
  if (FamilyMember m = FindMember(control, f.family))
    if (auto result = PaintingMessage(f, *m.engine, control, message, wp)) return *result;
  return CallPreviousProc(control, message, wp, lp);
}

gp::Bitmap SkinPicture(SkinImage image) {
  constexpr int kMaxSide = 64;  // the arrows are a few pixels; anything larger is no arrow
  static PixelCache<SkinImage> decoded;
  auto decode = [image] {
    Picture p;
    gp::Bitmap file = gp::Bitmap::FromByteSet(SkinImageFile(image));
    p.width = int(file.Width());
    p.height = int(file.Height());
    if (p.width <= 0 || p.height <= 0 || p.width > kMaxSide || p.height > kMaxSide) return Picture{};
    p.argb.resize(size_t(p.width) * size_t(p.height));
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        gp::ARGB c = 0;
        if (!file.GetPixel(x, y, &c)) return Picture{};
        p.argb[size_t(y) * size_t(p.width) + size_t(x)] = c;
      }
    return p;
  };
  // A picture that did not decode is tried again: a later GDI+ session may decode it.
  Picture* p = decoded.Get(image, decode, true);
  return p ? BitmapOver(*p) : gp::Bitmap{};
}

}  // namespace board
