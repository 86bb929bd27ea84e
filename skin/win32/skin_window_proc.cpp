// The one window procedure of every skinned window: each group of messages has its handler.
#include "skin/win32/skin_window.h"

#include <optional>

#include "skin/win32/button_skin.h"

namespace board {

// The record's copy of the previous procedure, not the published property: every property
// read is a round trip to the window server under Wine, and the top-level window forwards
// hundreds of messages per page switch. The property stays for others to read.
LRESULT SkinEngine::Previous(HWND window, UINT message, WPARAM wp, LPARAM lp) const {
  const int index = IndexOf(window);
  auto previous = index ? windows_[size_t(index) - 1]->previous
                        : reinterpret_cast<WNDPROC>(GetPropW(window, kPropProc));
  return previous ? CallWindowProcW(previous, window, message, wp, lp)
                  : DefWindowProcW(window, message, wp, lp);
}

LRESULT CALLBACK SkinEngine::WindowProcEntry(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  if (instance_) return instance_->WindowProc(window, message, wp, lp);
  return DefWindowProcW(window, message, wp, lp);
}

// Going and losing the activation. WM_QUIT has no case: it never reaches a window
// procedure (GetMessage ends the loop on it), and GDI+ stops once, with the session that
// started it, after the skin's objects are gone.
std::optional<LRESULT> SkinEngine::OnLifeMessage(SkinWindow& w, int index, HWND window, UINT message,
                                         WPARAM wp, LPARAM lp) {
  (void)index;
  switch (message) {
    case WM_NCDESTROY: {
      auto previous = w.previous;
      ReleaseWindow(window);
      return CallWindowProcW(previous, window, message, wp, lp);
    }
    case WM_ACTIVATEAPP:
      if (wp == 0 && onDeactivate_) onDeactivate_();
      break;
  }
  return std::nullopt;
}

// Painting and what asks for it.
std::optional<LRESULT> SkinEngine::OnPaintMessage(SkinWindow& w, int index, HWND window, UINT message,
                                         WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_SHOWWINDOW:
      if (wp == 1) {
        if (w.minimised) {
          w.minimised = false;
        } else if (!w.windowImage && BackgroundPending()) {
          // The picture is still being prepared on its own thread: the show does not wait
          // for it. The first paint, or the first child that reads the back buffer, composes
          // the frame (the board's window is still fading in from nothing by then).
          w.composeOnFirstUse = true;
        } else {
          // A window DC rather than BeginPaint, which belongs to WM_PAINT and would
          // validate the window before its first paint.
          ScopedGetDc dc(window);
          Repaint(index, dc.get());
          w.fullRepaint = false;
        }
      }
      break;
    case WM_ERASEBKGND:
      SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      if (!w.minimised) {
        // A buffer of another size is stale whatever the flags say: the first size change
        // of all requests no rebuild, and it may well be a real one.
        RECT client;
        GetClientRect(window, &client);
        const bool stale = !w.buffer.dc() || w.buffer.width() != client.right ||
                           w.buffer.height() != client.bottom;
        if (w.fullRepaint || stale) {
          Repaint(index, dc);
          w.fullRepaint = false;
        } else {
          PaintFromBuffer(index, dc);
        }
      }
      EndPaint(window, &ps);
      return 0;  // painted and validated: the default procedure would find nothing to do
    }
    case WM_SIZE:
      w.hover.lastHot = 0;
      if (settings_.firstSize) {
        w.fullRepaint = false;
        settings_.firstSize = 0;
      } else {
        w.fullRepaint = true;
      }
      LayoutOnSize(index);
      break;
    case WM_SETTEXT:
      if (w.showTitle && w.interactive && w.buffer.dc()) {
        ScopedGetDc dc(window);
        DrawCaption(w, dc.get(), reinterpret_cast<const wchar_t*>(lp));
      }
      break;
  }
  return std::nullopt;
}

// The pointer: hover fades, caption buttons, moving and resizing.
std::optional<LRESULT> SkinEngine::OnMouseMessage(SkinWindow& w, int index, HWND window, UINT message,
                                         WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_LBUTTONDBLCLK:
      if (YOf(lp) <= w.captionHeight && w.captionDrag) {
        if (int n = FindMaximizeButton(index)) RunCaptionButton(index, n);
      }
      break;
    case WM_MOUSEMOVE: {
      if (!w.hover.mouseTracked) {
        TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, window, 1};
        TrackMouseEvent(&track);
      }
      if (w.interactive) {
        const int x = XOf(lp), y = YOf(lp);
        bool startTimer = false;
        auto paints = w.hover.MouseMove(InsideCaptionStrip(w.strip, x, y),
                                        HitCaptionButton(index, x, y), startTimer);
        if (startTimer) SetTimer(window, reinterpret_cast<UINT_PTR>(window), 20, nullptr);
        PaintButtons(paints, w);
      }
      if (!w.maximised) UpdateResizeCursor(w, lp);
      ContinueDrag(w, wp, lp);
      break;
    }
    case WM_CAPTURECHANGED:
      w.dragArmed = false;  // whoever took the pointer, the press will not become a move
      break;
    case WM_MOUSEHOVER:
      w.hover.mouseTracked = true;
      break;
    case WM_MOUSELEAVE:
      PaintButtons(w.hover.MouseLeave(w.interactive), w);
      break;
    case WM_TIMER:
      if (wp == reinterpret_cast<WPARAM>(window)) {
        bool stop = false;
        PaintButtons(w.hover.Tick(stop), w);
        if (stop) KillTimer(window, reinterpret_cast<UINT_PTR>(window));
      } else if (wp == kSettleTimer) {
        KillTimer(window, kSettleTimer);
        SettlePicture(w, index);
      }
      break;
    case WM_LBUTTONDOWN:
      w.hover.in = {};
      if (w.interactive) {
        if (!w.maximised && !w.minimised) BeginDragOrResize(w, lp);
        w.pressed = HitCaptionButton(index, XOf(lp), YOf(lp));
        if (w.pressed >= 1) {
          ScopedGetDc dc(window);
          DrawCaptionButton(w, w.pressed, true, 0, dc.get());
        }
      }
      break;
    case WM_LBUTTONUP:
      DisarmDrag(w);
      if (w.interactive && w.pressed >= 1 && size_t(w.pressed) <= w.buttons.size()) {
        const int button = w.pressed;
        w.pressed = 0;
        // Only a release over the pressed button runs it; sliding off cancels, as system
        // buttons do (a mend: running it wherever the release fell would close the window
        // on a release outside the close box). The command may destroy the window, so
        // nothing of it is touched afterwards.
        if (HitCaptionButton(index, XOf(lp), YOf(lp)) == button) {
          RunCaptionButton(index, button);
          return 0;
        }
        ScopedGetDc dc(window);
        DrawCaptionButton(w, button, false, 0, dc.get());
      }
      break;
  }
  return std::nullopt;
}

// Maximising, minimising and the size limits.
std::optional<LRESULT> SkinEngine::OnFrameMessage(SkinWindow& w, int index, HWND window, UINT message,
                                         WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      info->ptMinTrackSize = {w.minTrack.cx, w.minTrack.cy};
      info->ptMaxTrackSize = w.maximised ? POINT{ScreenWidth(), WorkHeight()}
                                         : POINT{w.maxTrack.cx, w.maxTrack.cy};
      break;
    }
    case WM_WINDOWPOSCHANGED: {
      RECT r;
      GetWindowRect(window, &r);
      // Maximised is the window's own state, however it came (the caption, ShowWindow, the
      // shell), not a guess from the work area: without a taskbar that guess misses it. A
      // minimised window keeps what it was; a restore clears it.
      const bool wasMaximised = w.maximised;
      if (!IsIconic(window)) w.maximised = IsZoomed(window) != FALSE;
      // A maximise by the system covers the taskbar too: the window goes back above it.
      // The corrected window no longer reaches the bottom, so this does not recur.
      if (w.hasMaximize && r.right == ScreenWidth() && r.bottom == ScreenHeight() &&
          WorkHeight() != ScreenHeight()) {
        w.maximised = true;
        SetWindowPos(window, nullptr, 0, 0, ScreenWidth(), WorkHeight(),
                     SWP_NOZORDER | SWP_NOOWNERZORDER);
      }
      if (w.maximised != wasMaximised) {
        w.fullRepaint = true;  // the maximise box changes its glyph
        InvalidateRect(window, nullptr, FALSE);
      }
      LayoutCaptionStrip(index);
      break;
    }
    case WM_SYSCOMMAND:
      switch (wp & 0xFFF0) {
        case SC_MAXIMIZE: w.maximised = w.fullRepaint = true; break;
        case SC_RESTORE: w.fullRepaint = true; w.minimised = false; break;
        case SC_MINIMIZE: w.fullRepaint = w.minimised = true; break;
      }
      break;
    case WM_QUERYOPEN:
      w.minimised = false;
      break;
  }
  return std::nullopt;
}

// The child controls' colours and the repaints their changes need.
std::optional<LRESULT> SkinEngine::OnControlMessage(SkinWindow& w, int index, HWND window, UINT message,
                                         WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_DRAWITEM: {
      // Only the window's own buttons: a container paints its children's and passes the
      // message on, which would paint them twice.
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (item && GetParent(item->hwndItem) == window) DispatchDrawItem(*this, index, *item);
      break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: {
      bool answered = false;
      LRESULT brush = AnswerControlColour(index, message, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), answered);
      if (answered) return brush;
      break;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
      RepaintChangedChild(message, wp, lp);
      break;
    case WM_ENTERSIZEMOVE:
      w.liveResize = true;
      break;
    case WM_EXITSIZEMOVE:
      w.liveResize = false;
      SettlePicture(w, index);
      break;
    case WM_PARENTNOTIFY:
      // A child that goes gives back its colour slot: statics have no procedure of the
      // skin's that would.
      if (LOWORD(wp) == WM_DESTROY) ReleaseControlColour(index, reinterpret_cast<HWND>(lp));
      break;
  }
  return std::nullopt;
}

LRESULT SkinEngine::WindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  const int index = IndexOf(window);  // a scan of a few records, no property read
  if (!index) return Previous(window, message, wp, lp);
  SkinWindow& w = *windows_[size_t(index) - 1];
  using Handler = std::optional<LRESULT> (SkinEngine::*)(SkinWindow&, int, HWND, UINT, WPARAM, LPARAM);
  for (Handler handler : {&SkinEngine::OnLifeMessage, &SkinEngine::OnPaintMessage, &SkinEngine::OnMouseMessage,
                          &SkinEngine::OnFrameMessage, &SkinEngine::OnControlMessage}) {
    // A handler that ends the record (WM_NCDESTROY) answers, so `w` is not used after it.
    if (std::optional<LRESULT> result = (this->*handler)(w, index, window, message, wp, lp))
      return *result;
  }
  return w.previous ? CallWindowProcW(w.previous, window, message, wp, lp)
                    : DefWindowProcW(window, message, wp, lp);
}

}  // namespace board
