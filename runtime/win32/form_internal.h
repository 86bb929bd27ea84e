// What the form engine's files share behind FormEngine: a loaded form with its controls,
// and the pieces one file makes for another (the window class, the container subclass).
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "base/win32/scoped_win.h"
#include "runtime/form_description.h"
#include "runtime/win32/form_engine.h"
#include "runtime/win32/trans_label.h"

namespace board {

// The engine posts this to a form's window to destroy it when the request is handled.
constexpr UINT kMsgDestroyRequest = WM_APP + 0x101;
constexpr UINT_PTR kContainerSubclassId = 0xB0A7D;

struct ControlInstance {
  HWND hwnd = nullptr;
  int page = -1;        // tab page that holds the control, -1 when not on a page
  size_t tab = 0;       // record of that tab control
  bool visible = true;  // the visible property; a page control shows only on its page
  int32_t tag = 0, cursor = 0;
  std::unique_ptr<TransLabel> label;
};

struct Form {
  FormEngine* engine = nullptr;
  FormDescription desc;
  std::vector<ControlInstance> controls;  // parallel to desc.records; [0] is the window
  HWND hwnd = nullptr;
  bool alive = false;
  bool escCloses = false;
  bool visibilityWritten = false;
  bool closing = false;  // the close query's handler is running
  bool destroyRequested = false;
  ScopedFont defaultFont, headerFont;
  ScopedIcon bigIcon, smallIcon;
  ScopedBrush groupBrush;

  uint32_t formId() const { return desc.formId; }
  int recordOf(uint32_t controlId) const {
    if (controlId == 0) return 0;
    return FindRecord(desc, controlId);
  }
  int recordOf(HWND hwnd) const {
    for (size_t i = 0; i < controls.size(); ++i)
      if (controls[i].hwnd == hwnd && hwnd) return int(i);
    return -1;
  }
  int pageCount(size_t tab) const {
    return controls[tab].hwnd ? int(SendMessageW(controls[tab].hwnd, TCM_GETITEMCOUNT, 0, 0)) : 0;
  }
  int currentPage(size_t tab) const {
    return controls[tab].hwnd ? int(SendMessageW(controls[tab].hwnd, TCM_GETCURSEL, 0, 0)) : 0;
  }
  // A control is on screen when its visible property is set and, on a tab page, its page
  // is the current one.
  bool onScreen(size_t i) const {
    const ControlInstance& c = controls[i];
    return c.visible && (c.page < 0 || c.page == currentPage(c.tab));
  }
  void applyVisibility(size_t i) {
    if (!controls[i].hwnd || i == 0) return;
    ShowWindow(controls[i].hwnd, onScreen(i) ? SW_SHOWNA : SW_HIDE);
  }
  // Left, top, width and height; a control's relative to its container's client area.
  void geometry(size_t i, int (&v)[4]) const {
    HWND h = controls[i].hwnd;
    RECT rc;
    GetWindowRect(h, &rc);
    if (i != 0) MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&rc), 2);
    v[0] = rc.left;
    v[1] = rc.top;
    v[2] = rc.right - rc.left;
    v[3] = rc.bottom - rc.top;
  }
  void applyPages(size_t tab) {
    for (size_t i = 1; i < controls.size(); ++i)
      if (controls[i].page >= 0 && controls[i].tab == tab) applyVisibility(i);
  }
};

// The form of a live form window; null once the window is gone.
Form* FormOf(HWND hwnd);
// The window class: the stored name, or the runtime's own; registered on first use.
bool EnsureFormClass(HINSTANCE instance, const std::wstring& className);
// The fonts the form's controls take when they carry none of their own.
void MakeControlFonts(Form& form);

LRESULT CALLBACK FormWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK ContainerSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR ref);

}  // namespace board
