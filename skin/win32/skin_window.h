// What the engine's own files share and no caller sees: the record of one skinned window,
// the property names the engine sets on it, and small drawing and screen helpers.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "skin/caption_strip.h"
#include "skin/colour.h"
#include "skin/win32/back_buffer.h"
#include "skin/win32/control_records.h"
#include "skin/win32/decoded_image.h"
#include "skin/win32/gdiplus_objects.h"
#include "skin/win32/skin_engine.h"
#include "skin/win32/tooltip.h"

namespace board {

// A skinned window's own index and procedure live in the names its controls use.
constexpr const wchar_t* kPropIndex = kPropListIndex;
constexpr const wchar_t* kPropProc = kPropPreviousProc;
constexpr int kMinimumCaptionHeight = 25;
// The timer that scales a resized picture again at high quality once the size has stood
// still that long. The hover fade's timer is the window's handle, never this small.
constexpr UINT_PTR kSettleTimer = 2;
constexpr UINT kSettleMilliseconds = 150;

// Signed client coordinates of a mouse message.
inline int XOf(LPARAM lp) { return int(short(LOWORD(lp))); }
inline int YOf(LPARAM lp) { return int(short(HIWORD(lp))); }

inline int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
inline int ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }
// The screen less the taskbar, when there is one.
inline int WorkHeight() {
  int height = ScreenHeight();
  if (HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr)) {
    RECT r;
    if (GetWindowRect(tray, &r)) height -= r.bottom - r.top;
  }
  return height;
}

struct SkinWindow {
  HWND window = nullptr;
  int captionHeight = kMinimumCaptionHeight;
  bool hasMinimize = false, hasMaximize = false;
  bool showTitle = true, captionGloss = false, captionDrag = true, interactive = true;
  WNDPROC previous = nullptr;
  ImageMode imageMode = kImageTiled;
  std::vector<CaptionButton> buttons;
  StripRect strip;
  bool maximised = false, minimised = false;
  SIZE minTrack{200, 150}, maxTrack{0, 0};
  COLORREF titleColour = 0xFFFFFF, outlineColour = 0x808080;
  std::wstring fontName = L"宋体";
  int fontSize = 12, outlineWidth = 1;
  HoverFade hover;
  // The caption button under the last press, kept per window rather than once for all:
  // a press in one window never runs a button of another.
  int pressed = 0;
  // A press in the caption band waiting to become a move: where it was, on the screen.
  bool dragArmed = false;
  POINT dragFrom{0, 0};
  std::function<void()> helpHandler, menuHandler;
  // One tool per caption button, its id the button's 1-based number. The tooltip has no
  // parent, so the system never destroys it with the window: the record alone ends it, and
  // no stale handle is ever destroyed.
  gp::Tooltip tooltip;
  bool fullRepaint = true;
  // Shown while the shared picture was still being prepared: the back buffer is composed by
  // the first paint or the first child that reads it, not by the show.
  bool composeOnFirstUse = false;
  bool liveResize = false;  // inside the system's move-and-size loop
  BackBuffer buffer;
  // The composed background, for partial redraws: one copy of plain pixels rather than
  // two further memory DCs, as the caption and the buttons restore rows of it with memcpy.
  std::vector<uint32_t> snapshot;
  std::shared_ptr<const ScaledPicture> scaled;  // the picture stretched to the client (kImageStretched)
  std::unique_ptr<DecodedImage> windowImage;  // the window's own picture, when it has one
  COLORREF windowColour = 0;
  std::vector<std::shared_ptr<const DecodedImage>> glyphs;  // the window's own caption glyphs
  struct ItemStrip {
    std::vector<std::wstring> texts;
    COLORREF fontColour = 0xFFFFFF;
    std::wstring fontName = L"宋体";
    int fontSize = 12;
  } items;
  std::vector<HWND> fillList;
  ComposedKey composedKey;              // what the snapshot was composed for
  struct ControlColour {
    ScopedBrush brush;
    ScopedBitmap bitmap;
  };
  std::vector<std::pair<HWND, ControlColour>> controlColours;
  SkinControls controls;
};

}  // namespace board
