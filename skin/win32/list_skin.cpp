#include "skin/win32/list_skin.h"

#include "skin/colour.h"
#include "skin/win32/frame_painting.h"
#include "skin/win32/framed_control.h"

namespace board {

namespace {

constexpr const wchar_t* kListClasses[] = {L"ListBox",       L"ComboLBox",         L"SysTreeView32",
                                           L"SysListView32", L"SysDateTimePick32", L"SysIPAddress32"};

SkinControlRecord* ListOf(const ControlRef& ref) { return ref.controls->lists.At(ref.listIndex); }

}  // namespace

void InstallListControls(SkinEngine& engine, int windowIndex, HWND parent) {
  if (!engine.settings().controlsEnabled || !parent) return;
  for (const wchar_t* className : kListClasses)
    ForEachChildOfClass(parent, className, [&](HWND list) {
      RegisterControl<SkinControlRecord>(engine, windowIndex, Family::kList, list, &ListWindowProc);
    });
}

void PaintListFrame(HWND list, OptInt focused) {
  ControlRef ref = FindControl<SkinControlRecord>(list, Family::kList);
  if (!ref) return;
  const bool isFocused = focused ? *focused != 0 : ListOf(ref)->focused;
  FrameLook look;
  look.keyed = true;
  if (isFocused) {
    look.border = ToArgb(ref.engine->settings().themeColour, 200);
    look.penWidth = 2;
  } else {
    look.border = ToArgb(0, 90);
  }
  PaintControlFrame(*ref.engine, list, look);
}

namespace {

LRESULT ListMessage(const ControlRef& ref, HWND list, UINT message, WPARAM wp, LPARAM lp) {
  if (auto answer = FrameMessage(ref, list, message, wp, lp, [](HWND l) { PaintListFrame(l); })) return *answer;
  switch (message) {
    case WM_MOVE:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
    case WM_KEYDOWN:
    case WM_KEYUP:
      // Scrolled content would carry the picture behind it along: draw it all again.
      if (Transparent(*ref.engine)) InvalidateRect(list, nullptr, TRUE);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      ListOf(ref)->focused = message == WM_SETFOCUS;
      PostMessageW(list, kRepaintFrameMessage, 0, 0);
      break;
    case WM_PAINT: {
      const LRESULT result = CallPreviousProc(list, message, wp, lp);
      PaintListFrame(list);
      return result;
    }
    case WM_MOUSEMOVE:
      // Lists show no hover look; they leave the pointer tracking to the control (a list
      // view tracks hover itself).
      ref.controls->pointerIndex = ref.listIndex;
      break;
    case kRepaintFrameMessage:
      PaintListFrame(list);
      return 0;
  }
  return CallPreviousProc(list, message, wp, lp);
}

}  // namespace

LRESULT CALLBACK ListWindowProc(HWND list, UINT message, WPARAM wp, LPARAM lp) {
  return FramedControlProc<SkinControlRecord>(list, Family::kList, message, wp, lp, ListMessage);
}

}  // namespace board
