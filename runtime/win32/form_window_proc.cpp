// The form engine's window procedure: a form's events, its close protocol (the close
// query, the asynchronous destroy request) and the end of the form with its window.
#include <algorithm>

#include "runtime/win32/form_internal.h"

namespace board {

// The form of a live form window; null once the window is gone.
Form* FormOf(HWND hwnd) {
  return IsWindow(hwnd) ? reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) : nullptr;
}

// Containers (tab control, group box) pass their children's notifications on to the form.
LRESULT CALLBACK ContainerSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR ref) {
  switch (msg) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      if (lp != 0 || msg == WM_DRAWITEM || msg == WM_MEASUREITEM)
        return SendMessageW(reinterpret_cast<HWND>(ref), msg, wp, lp);
      break;
    case WM_NOTIFY:
      if (lp && reinterpret_cast<NMHDR*>(lp)->hwndFrom != hwnd)
        return SendMessageW(reinterpret_cast<HWND>(ref), msg, wp, lp);
      break;
    case WM_ERASEBKGND:
      // A group box draws only its frame; its inside takes the brush the form hands out.
      if ((GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) {
        HDC dc = reinterpret_cast<HDC>(wp);
        auto brush = reinterpret_cast<HBRUSH>(
            SendMessageW(reinterpret_cast<HWND>(ref), WM_CTLCOLORSTATIC, wp, LPARAM(hwnd)));
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(dc, &rc, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
        return 1;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, ContainerSubclassProc, kContainerSubclassId);
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

bool EnsureFormClass(HINSTANCE instance, const std::wstring& className) {
  WNDCLASSEXW wc{sizeof(wc)};
  if (GetClassInfoExW(instance, className.c_str(), &wc)) return true;
  wc = WNDCLASSEXW{sizeof(wc)};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = FormWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = className.c_str();
  return RegisterClassExW(&wc) != 0;
}

LRESULT FormEngine::HandleFormMessage(Form& form, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (lp != 0 && HIWORD(wp) == BN_CLICKED) {
        int i = form.recordOf(reinterpret_cast<HWND>(lp));
        if (i > 0 && form.desc.records[size_t(i)].kind == kKindButton)
          RaiseEvent(form, size_t(i), kEventButtonClick);
        return 0;
      }
      break;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      if (!hdr) break;
      int i = form.recordOf(hdr->hwndFrom);
      if (i > 0 && hdr->code == UINT(TCN_SELCHANGE) &&
          form.desc.records[size_t(i)].kind == kKindTab) {
        form.applyPages(size_t(i));
        RaiseEvent(form, size_t(i), kEventTabPageChanged);
        return 0;
      }
      break;
    }
    case WM_CTLCOLORSTATIC: {
      int i = form.recordOf(reinterpret_cast<HWND>(lp));
      if (i > 0 && form.desc.records[size_t(i)].kind == kKindGroupBox) {
        SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(form.groupBrush.get());
      }
      break;
    }
    case WM_CLOSE:
      OnCloseQuery(form, hwnd);
      return 0;
    case kMsgDestroyRequest:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      OnFormDestroyed(form);
      break;
    case WM_NCDESTROY: {
      // The controls are gone by now: the form's fonts, icons, brush and labels go with it.
      LRESULT result = DefWindowProcW(hwnd, msg, wp, lp);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      EraseForm(&form);
      return result;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void FormEngine::OnCloseQuery(Form& form, HWND hwnd) {
  // The close query decides; without a handler the window simply goes. A query still
  // running (a fade-out pumping messages) is not raised again by a second Esc or close:
  // the window would flash back to opaque.
  if (form.closing) return;
  form.closing = true;
  if (!RaiseEvent(form, 0, kEventWindowCloseQuery)) DestroyWindow(hwnd);
  // The handler may have pumped the destroy request through: the form may be gone.
  if (Form* still = FormOf(hwnd)) still->closing = false;
}

void FormEngine::OnFormDestroyed(Form& form) {
  // A window that failed during its creation was never listed: the program's last window is
  // not gone, and a quit message would end the loop (or the start-up failure box) of
  // whoever runs next.
  const bool listed =
      std::any_of(forms_.begin(), forms_.end(), [&](auto& f) { return f.get() == &form; });
  form.alive = false;
  if (listed && LiveFormCount() == 0) PostQuitMessage(0);
}

void FormEngine::EraseForm(const Form* form) {
  auto it = std::find_if(forms_.begin(), forms_.end(), [&](auto& f) { return f.get() == form; });
  if (it != forms_.end()) forms_.erase(it);
}

LRESULT CALLBACK FormWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    // A window of this class made by anyone but the engine carries no form: it is left to
    // the default procedure.
    if (auto* form = static_cast<Form*>(cs->lpCreateParams)) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(form));
      form->hwnd = hwnd;
      form->alive = true;
    }
  }
  auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!form || !form->engine) return DefWindowProcW(hwnd, msg, wp, lp);
  return form->engine->HandleFormMessage(*form, hwnd, msg, wp, lp);
}

}  // namespace board
