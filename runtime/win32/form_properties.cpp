// The form engine's properties: read and written by index on a form's window and controls.
#include "runtime/win32/form_internal.h"

namespace board {
namespace {

// Left, top, width and height: read and written together through the window's rectangle.
bool IsGeometry(uint32_t index) { return index <= kPropHeight; }

}  // namespace

// Served: geometry, tag, visible, disabled, cursor and the tab control's current page. The
// cursor is kept and not applied, and of a kind's own properties only the current page is
// served: nothing the program runs reads or writes the others, and a request for one is
// refused with false rather than half done.
bool FormEngine::SetProperty(uint32_t formId, uint32_t controlId, uint32_t index, int32_t,
                             int32_t value) {
  Form* f = FindForm(formId);
  int i = f ? f->recordOf(controlId) : -1;
  if (i < 0) return false;
  ControlInstance& c = f->controls[size_t(i)];
  HWND h = c.hwnd;
  if (!h) return false;
  if (IsGeometry(index)) {
    int v[4];
    f->geometry(size_t(i), v);
    v[index] = value;
    SetWindowPos(h, nullptr, v[0], v[1], v[2], v[3], SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
  }
  switch (index) {
    case kPropTag: c.tag = value; return true;
    case kPropCursor: c.cursor = value; return true;
    case kPropVisible:
      c.visible = value != 0;
      if (i == 0) {
        f->visibilityWritten = true;
        ShowWindow(h, c.visible ? SW_SHOW : SW_HIDE);
      } else {
        f->applyVisibility(size_t(i));
      }
      return true;
    case kPropDisabled: EnableWindow(h, value == 0); return true;
    case kPropTabCurrentPage:
      if (f->desc.records[size_t(i)].kind != kKindTab) return false;
      // A page the control does not have leaves the current one shown.
      if (value < 0 || value >= f->pageCount(size_t(i))) return false;
      SendMessageW(h, TCM_SETCURSEL, WPARAM(value), 0);
      f->applyPages(size_t(i));
      return true;
  }
  return false;
}

bool FormEngine::GetProperty(uint32_t formId, uint32_t controlId, uint32_t index, int32_t,
                             int32_t& value) const {
  Form* f = FindForm(formId);
  int i = f ? f->recordOf(controlId) : -1;
  if (i < 0 || !f->controls[size_t(i)].hwnd) return false;
  const ControlInstance& c = f->controls[size_t(i)];
  if (IsGeometry(index)) {
    int v[4];
    f->geometry(size_t(i), v);
    value = v[index];
    return true;
  }
  switch (index) {
    case kPropTag: value = c.tag; return true;
    case kPropCursor: value = c.cursor; return true;
    case kPropVisible: value = c.visible; return true;
    case kPropDisabled: value = !IsWindowEnabled(c.hwnd); return true;
    case kPropTabCurrentPage:
      if (f->desc.records[size_t(i)].kind != kKindTab) return false;
      value = f->currentPage(size_t(i));
      return true;
  }
  return false;
}

}  // namespace board
