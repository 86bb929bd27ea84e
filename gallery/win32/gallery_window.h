// The skin gallery: one skinned window showing a control of every family the skin paints,
// for looking at the skin as a whole. Not part of the product.
#pragma once
#include <windows.h>

namespace board {

class SkinEngine;

inline constexpr wchar_t kGalleryTitle[] = L"Skin gallery";

// Creates the gallery window (hidden) with all its controls in `font` (which must outlive
// them), filled with sample contents.
HWND CreateGalleryWindow(HINSTANCE instance, HFONT font);
// Skins it as the board skins its window (the same picture and set-up), its group box as a
// container, and the tab control (its strip shown), status bar, toolbar and month calendar
// as transparent controls.
void SkinGalleryWindow(SkinEngine& skin, HWND window);

}  // namespace board
