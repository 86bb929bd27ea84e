#include "skin/win32/transparent_skin.h"

#include <commctrl.h>

#include <algorithm>

#include "skin/win32/control_family.h"
#include "skin/win32/skin_engine.h"

namespace board {

namespace {

// Classes that draw their face with the system's face colour and can be keyed. Rich edits
// go the same way (A and W classes): their face is their background colour, which a caller
// passes as the key.
constexpr const wchar_t* kClasses[] = {MONTHCAL_CLASSW, WC_TABCONTROLW, TOOLBARCLASSNAMEW,
                                       STATUSCLASSNAMEW, L"Button", TRACKBAR_CLASSW,
                                       L"RichEdit20A", L"RichEdit20W"};
// A record's key colour when none was given: the skin's face colour at paint time.
constexpr COLORREF kFollowFace = CLR_INVALID;

bool IsRichEdit(HWND control) { return HasClass(control, L"RichEdit20A") || HasClass(control, L"RichEdit20W"); }

FamilyMember FindTransparent(HWND control) { return FindMember(control, Family::kTransparent); }

// The control paints itself into `dc` through its own procedure: the common controls take
// the DC with WM_PAINT, buttons and rich edits with WM_PRINTCLIENT.
void PaintThroughOwnProcedure(HWND control, HDC dc) {
  if (HasClass(control, L"Button") || IsRichEdit(control))
    CallPreviousProc(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT, PropSlot::kTransparent);
  else
    CallPreviousProc(control, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, PropSlot::kTransparent);
}

}  // namespace

bool IsTransparentClass(HWND control) {
  return std::any_of(std::begin(kClasses), std::end(kClasses),
                     [control](const wchar_t* name) { return HasClass(control, name); });
}

void PaintTransparentControl(SkinEngine& engine, HWND control, HDC dc) {
  RECT client;
  GetClientRect(control, &client);
  const int w = client.right, h = client.bottom;
  if (!dc || w <= 0 || h <= 0) return;
  const FamilyMember m = FindTransparent(control);
  const COLORREF key = m && m.record->keyColour != kFollowFace ? m.record->keyColour : engine.faceColour();
  const int alpha = m ? m.record->alpha : 255;

  BackgroundCanvas background(engine, control, client);
  ScopedGetDc screen(nullptr);
  ScopedMemoryDc face(CreateCompatibleDC(screen.get()));
  ScopedBitmap faceBitmap(CreateCompatibleBitmap(screen.get(), w, h));
  if (!background || !face || !faceBitmap) return;
  {
    ScopedSelectObject select(face.get(), faceBitmap.get());
    // What the control leaves unpainted vanishes as well.
    ScopedBrush keyBrush(CreateSolidBrush(key));
    FillRect(face.get(), &client, keyBrush.get());
    PaintThroughOwnProcedure(control, face.get());
    TransparentBlt(background.get(), 0, 0, w, h, face.get(), 0, 0, w, h, key);
  }
  if (alpha >= 255) {
    BitBlt(dc, 0, 0, w, h, background.get(), 0, 0, SRCCOPY);
    return;
  }
  // Below full opacity the control's own pixels are blended with the picture.
  BackgroundCanvas plain(engine, control, client);
  if (!plain) return;
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, BYTE(std::max(0, alpha)), 0};
  AlphaBlend(plain.get(), 0, 0, w, h, background.get(), 0, 0, w, h, blend);
  BitBlt(dc, 0, 0, w, h, plain.get(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK TransparentControlProc(HWND control, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_NCDESTROY) return DestroyedControl(control, PropSlot::kTransparent, wp, lp);
  const FamilyMember m = FindTransparent(control);
  if (m) {
    const bool transparent = m.engine->settings().controlAlphaGiven != 0;
    switch (message) {
      case WM_MOVE:
        if (transparent) InvalidateRect(control, nullptr, TRUE);
        break;
      case WM_ERASEBKGND:
        if (transparent) return 1;  // the paint lays the picture down itself
        break;
      case WM_PAINT:
        return PaintMessage(control, wp, [&](HDC dc) { PaintTransparentControl(*m.engine, control, dc); });
      case WM_HSCROLL:
      case WM_VSCROLL:
        if (IsRichEdit(control)) {
          // A rich edit scrolls its pixels itself: the picture under them must follow.
          const LRESULT result = CallPreviousProc(control, message, wp, lp, PropSlot::kTransparent);
          InvalidateRect(control, nullptr, FALSE);
          return result;
        }
        break;
    }
  }
  return CallPreviousProc(control, message, wp, lp, PropSlot::kTransparent);
}

bool SkinEngine::SkinTransparentControl(HWND control, OptInt keyColour, OptInt alpha) {
  if (!IsWindow(control) || !IsTransparentClass(control)) return false;
  const int index = SkinnedAncestor(control);
  if (IndexOf(control)) return false;  // a skinned window is no control
  SkinControlRecord record;
  record.keyColour = COLORREF(keyColour.value_or(kFollowFace));
  record.alpha = alpha ? std::clamp<int32_t>(*alpha, 0, 255) : 255;
  if (!RegisterControl(*this, index, Family::kTransparent, control, TransparentControlProc, std::move(record)))
    return false;
  // Its children (a calendar's, a toolbar's) are skinned like a container's.
  if (GetWindow(control, GW_CHILD)) AttachContainer(control, Given(0), NotGiven(), NotGiven(), NotGiven());
  InvalidateRect(control, nullptr, TRUE);
  return true;
}

}  // namespace board
