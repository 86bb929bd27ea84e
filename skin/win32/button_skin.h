// Push buttons, check boxes and radio buttons drawn by the skin over the window's picture.
//
// Push buttons (and the picture buttons registered one at a time) become owner-drawn: their
// own procedure still clicks, focuses and notifies, and asks the parent for every face
// through WM_DRAWITEM, which reaches DispatchDrawItem. Check boxes and radio buttons keep
// their type and are painted by the skin's procedure itself. The hover look is the skin's
// own: a button turns hot on its first mouse move and back on WM_MOUSELEAVE.
#pragma once
#include <windows.h>

namespace board {

class SkinEngine;
struct ButtonRecord;

// The owner-draw states the painters read (DRAWITEMSTRUCT.itemState); the hot bit is the
// skin's hover look.
inline constexpr UINT kStatePressed = ODS_SELECTED;
inline constexpr UINT kStateDisabled = ODS_DISABLED;
inline constexpr UINT kStateFocus = ODS_FOCUS;
inline constexpr UINT kStateHot = ODS_HOTLIGHT;

// Register the buttons among the direct children of `parent` in window `windowIndex`'s
// button list, the push buttons first; buttons already listed, owner-drawn ones and group
// boxes are skipped.
void InstallButtons(SkinEngine& engine, int windowIndex, HWND parent);

// The procedure of every registered button.
LRESULT CALLBACK ButtonWindowProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp);

// Paints one registered button now in `state` (kState… bits), hot or not.
void RedrawButtonState(HWND hwnd, UINT state, bool hot);
// Paints an owner-drawn button the skin registered; anything else is left alone.
void DispatchDrawItem(SkinEngine& engine, int windowIndex, const DRAWITEMSTRUCT& item);

// The painters. Each composes the face on a copy of the skin behind `rect` (the button's
// client rectangle) and copies it into `dc` at (0, 0) with one BitBlt; a button the skin
// did not register is not painted.
void PaintPushButton(HWND hwnd, HDC dc, UINT state, const RECT& rect);
void PaintRadioButton(HWND hwnd, HDC dc, UINT state, const RECT& rect);
void PaintCheckBox(HWND hwnd, HDC dc, UINT state, const RECT& rect);
// Buttons drawn from pictures: one picture cut into state slices, or one picture a state.
void PaintImageButton(HWND hwnd, HDC dc, UINT state, const RECT& rect);

// The registered button's record, while the engine and the record exist; null otherwise.
ButtonRecord* FindButtonRecord(SkinEngine& engine, HWND hwnd);

}  // namespace board
