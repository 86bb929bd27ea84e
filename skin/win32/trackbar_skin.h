// Trackbars and progress bars drawn by the skin. Both paint themselves whole from what
// they read of the control: a rounded channel with a white round thumb, and a rounded
// trough with a bar in the theme colour.
#pragma once
#include <windows.h>

namespace board {

class SkinEngine;

void InstallTrackbars(SkinEngine& engine, int windowIndex, HWND parent);
void InstallProgressBars(SkinEngine& engine, int windowIndex, HWND parent);

LRESULT CALLBACK TrackbarWindowProc(HWND control, UINT message, WPARAM wp, LPARAM lp);
LRESULT CALLBACK ProgressBarWindowProc(HWND control, UINT message, WPARAM wp, LPARAM lp);

// The painters: the client area of the control, composed over the skin, into `dc`.
void PaintTrackbar(SkinEngine& engine, HWND control, HDC dc);
void PaintProgressBar(SkinEngine& engine, HWND control, HDC dc);

}  // namespace board
