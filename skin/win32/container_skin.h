// Containers (tab controls, group boxes) that show the window's picture instead of their own
// face: a tab control without its tab strip or page frame, a group box with a soft double
// rounded frame and its caption. The container answers for its children what the skinned
// window answers for its own: owner-drawn buttons, control colours, repaints after changes.
//
// SkinEngine::AttachContainer registers a container and gives it ContainerWindowProc.
#pragma once
#include <windows.h>

namespace board {

class SkinEngine;

// Marks a window whose pictures stand in for a skinned window's; no part of the board sets
// it, so a container's Mb_zpf stays 0 here.
inline constexpr wchar_t kPropFrameMark[] = L"Wxk_Zpf";
inline constexpr wchar_t kPropFrameAncestor[] = L"Mb_zpf";

LRESULT CALLBACK ContainerWindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp);

// The full paint: the background (frame and caption drawn on it) copied to `dc`, or, with
// no DC, to the container's own DC with its opaque children cut out. Clears `dirty`.
void PaintContainer(SkinEngine& engine, int windowIndex, int containerIndex, HDC dc);
// The repaint after the first: through the container's own DC with the opaque children cut
// out; the transparent children are then asked to draw themselves over it again.
void PaintContainerDirect(SkinEngine& engine, int windowIndex, int containerIndex);
// A group box's frame and caption, drawn into `background` (the container's client size).
void PaintGroupBoxFrame(SkinEngine& engine, int windowIndex, int containerIndex, HDC background);

}  // namespace board
