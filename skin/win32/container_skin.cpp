#include "skin/win32/container_skin.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "base/win32/window_text.h"
#include "skin/colour.h"
#include "skin/win32/background_canvas.h"
#include "skin/win32/button_skin.h"
#include "skin/win32/control_registry.h"
#include "skin/win32/gdiplus_objects.h"
#include "skin/win32/skin_drawing.h"
#include "skin/win32/skin_engine.h"

namespace board {

using gp::RectF;

namespace {

ContainerRecord* RecordOf(SkinEngine& engine, int windowIndex, int containerIndex) {
  SkinControls* controls = engine.ControlsOf(windowIndex);
  return controls ? controls->containers.At(containerIndex) : nullptr;
}


bool IsTransparentChild(HWND child) {
  return (GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0;
}

// The opaque children paint themselves: the container's drawing leaves their rectangles.
void ExcludeOpaqueChildren(HWND container, HDC dc) {
  ForEachChild(container, [&](HWND child) {
    if (!IsWindowVisible(child) || IsTransparentChild(child)) return;
    const RECT r = RectInParent(child, container);
    ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
  });
}

// Whether the container shows nothing but the window's back buffer: no frame or caption of
// its own and no visible tint, its own or a container's it lies in.
bool ShowsBareBuffer(SkinEngine& engine, int windowIndex, const ContainerRecord& r) {
  if (r.isGroupBox || r.frame || r.frameAncestor) return false;
  SkinControls* controls = engine.ControlsOf(windowIndex);
  HWND top = engine.WindowAt(windowIndex);
  for (HWND h = r.window; h && h != top; h = GetParent(h)) {
    const ContainerRecord* c = controls->containers.At(controls->containers.Find(h));
    if (c && c->colour != 0 && c->alpha != 0) return false;
  }
  return true;
}

// The soft double frame over a client rectangle, its top edge `top` pixels down: a faint
// dark rounded line outside, a light one just inside it.
void StrokeDoubleFrame(gp::Graphics& g, const RECT& client, int top, int innerAlpha) {
  // Anti-aliased, so the rounded corners of a long frame show no steps.
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  const float w = float(client.right), h = float(client.bottom), t = float(top);
  gp::GraphicsPath outer, inner;
  AddRoundRect(outer, 0, t, w - 1, h - 1 - t, 5);
  AddRoundRect(inner, 1, t + 1, w - 3, h - 3 - t, 3);
  g.DrawPath(gp::Pen(ToArgb(0x000000, 40)), outer);
  g.DrawPath(gp::Pen(ToArgb(0xFFFFFF, innerAlpha)), inner);
}

// The picture behind the container with its frame (and a group box's caption) on it.
void ComposeFrame(SkinEngine& engine, int windowIndex, int containerIndex, HDC background,
                  const RECT& client) {
  const ContainerRecord* r = RecordOf(engine, windowIndex, containerIndex);
  if (!r) return;
  if (r->isGroupBox) {
    PaintGroupBoxFrame(engine, windowIndex, containerIndex, background);
  } else if (r->frame) {
    gp::Graphics g = gp::Graphics::FromHdc(background);
    StrokeDoubleFrame(g, client, 0, 100);
    g.Flush();
  }
}

// Where a group box's caption starts: the two alignment bits together centre it, the left
// one alone puts it 10 pixels in from the left, anything else 10 pixels in from the right.
int CaptionLeft(LONG_PTR style, int clientWidth, int textWidth) {
  switch (style & BS_CENTER) {
    case BS_CENTER: return (clientWidth - textWidth) / 2;
    case BS_LEFT: return 10;
    default: return clientWidth - textWidth - 10;
  }
}

// The caption's size in pixels: the recorded one, 12 when the font could not be read.
int CaptionSize(const ContainerRecord& r) { return r.fontSize > 0 ? r.fontSize : 12; }

// Copies the container's picture to `dc` (its client coordinates). A container that shows
// the bare back buffer gets it straight from there, sparing a copy of its own size.
void CopyPicture(SkinEngine& engine, int windowIndex, int containerIndex, HDC dc, const RECT& client) {
  const ContainerRecord* r = RecordOf(engine, windowIndex, containerIndex);
  if (!r) return;
  if (ShowsBareBuffer(engine, windowIndex, *r)) {
    POINT origin{0, 0};
    MapWindowPoints(r->window, engine.WindowAt(windowIndex), &origin, 1);
    POINT previous;
    SetWindowOrgEx(dc, origin.x, origin.y, &previous);
    engine.PaintFromBuffer(windowIndex, dc);
    SetWindowOrgEx(dc, previous.x, previous.y, nullptr);
    return;
  }
  BackgroundCanvas background(engine, r->window, client);
  if (!background.get()) return;
  ComposeFrame(engine, windowIndex, containerIndex, background.get(), client);
  BitBlt(dc, 0, 0, client.right, client.bottom, background.get(), 0, 0, SRCCOPY);
}

}  // namespace

void PaintGroupBoxFrame(SkinEngine& engine, int windowIndex, int containerIndex, HDC background) {
  const ContainerRecord* r = RecordOf(engine, windowIndex, containerIndex);
  if (!r || !background) return;
  HWND box = r->window;
  RECT rc;
  GetClientRect(box, &rc);
  const std::wstring text = WindowText(box);
  std::optional<gp::Font> font;
  if (!text.empty()) font.emplace(CaptionFont(r->fontName, CaptionSize(*r), r->fontStyle));
  RectF measured;
  {
    gp::Graphics g = gp::Graphics::FromHdc(background);
    // The top edge lies 5 pixels down, at the caption's middle.
    StrokeDoubleFrame(g, rc, 5, 90);
    if (font && *font) {
      const gp::StringFormat typographic = gp::StringFormat::GenericTypographic();
      g.MeasureString(text, *font, RectF(0, 0, 32767, 32767), &typographic, &measured);
    }
    g.Flush();
  }
  // No caption, no gap in the frame.
  if (!font || !*font) return;
  const int textWidth = int(std::floor(measured.Width)) + 1;
  const int textHeight = CaptionSize(*r) + 3;
  const int x = CaptionLeft(GetWindowLongPtrW(box, GWL_STYLE), rc.right, textWidth);
  const RECT caption{x, 1, x + textWidth, 1 + textHeight};
  {
    // The frame lines do not run through the caption: the picture goes back under it.
    BackgroundCanvas under(engine, box, caption);
    if (under.get()) BitBlt(background, x, 1, textWidth, textHeight, under.get(), 0, 0, SRCCOPY);
  }
  gp::Graphics g = gp::Graphics::FromHdc(background);
  // Grey-scale smoothing whatever the system's text setting: the caption lies on the picture.
  g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
  // Drawn with the format it was measured with: a plain one pads the text by a sixth of
  // its size on each side, and in a rectangle of the measured width its last letters wrap
  // away out of sight.
  gp::StringFormat centred = gp::StringFormat::GenericTypographic();
  centred.SetAlignment(Gdiplus::StringAlignmentCenter);
  const gp::SolidBrush brush(ToArgb(COLORREF(PropInt(box, kPropTextColour)), 0, false));
  // The format draws only whole lines, and a face's line may be taller than its size + 3:
  // the rectangle grows to the measured line, or the caption would not show at all.
  const float lineHeight = std::max(float(textHeight), std::ceil(measured.Height));
  g.DrawString(text, *font, RectF(float(x), 1, float(textWidth), lineHeight), &centred, brush);
  g.Flush();
}

void PaintContainer(SkinEngine& engine, int windowIndex, int containerIndex, HDC dc) {
  const ContainerRecord* r = RecordOf(engine, windowIndex, containerIndex);
  if (!r || !r->window) return;
  HWND container = r->window;
  RECT rc;
  GetClientRect(container, &rc);
  if (dc) {
    CopyPicture(engine, windowIndex, containerIndex, dc, rc);
  } else {
    ScopedGetDc own(container);
    ExcludeOpaqueChildren(container, own.get());
    CopyPicture(engine, windowIndex, containerIndex, own.get(), rc);
  }
  if (ContainerRecord* again = RecordOf(engine, windowIndex, containerIndex)) again->dirty = false;
}

void PaintContainerDirect(SkinEngine& engine, int windowIndex, int containerIndex) {
  const ContainerRecord* r = RecordOf(engine, windowIndex, containerIndex);
  if (!r || !r->window) return;
  HWND container = r->window;
  RECT rc;
  GetClientRect(container, &rc);
  {
    ScopedGetDc own(container);
    ExcludeOpaqueChildren(container, own.get());
    CopyPicture(engine, windowIndex, containerIndex, own.get(), rc);
  }
  // The transparent children (the labels) were painted over: they draw themselves again.
  ForEachChild(container, [](HWND child) {
    if (IsTransparentChild(child)) InvalidateRect(child, nullptr, FALSE);
  });
}

namespace {

// A registered container's messages, each handled with its arguments decoded; nullopt
// passes the message on to the container's own procedure.
struct ContainerMessages {
  HWND window;
  SkinEngine& engine;
  ContainerRecord& record;
  int windowIndex, index;

  bool OwnPainting() const { return record.type != 0; }

  // The picture and frame, the same for the screen and for a parent's print.
  void PaintContent(HDC dc) const {
    RECT client;
    GetClientRect(window, &client);
    CopyPicture(engine, windowIndex, index, dc, client);
  }

  std::optional<LRESULT> OnPaint() const {
    if (!OwnPainting()) return std::nullopt;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (record.dirty)
      PaintContainer(engine, windowIndex, index, dc);
    else
      PaintContainerDirect(engine, windowIndex, index);
    EndPaint(window, &ps);
    return 0;  // painted and validated here: the default procedure would find nothing left to paint
  }

  std::optional<LRESULT> OnPrintClient(HDC dc) const {
    if (!OwnPainting() || !dc) return std::nullopt;
    PaintContent(dc);
    return 0;
  }

  std::optional<LRESULT> OnShow(bool shown, WPARAM wp, LPARAM lp) const {
    if (!shown || !OwnPainting()) return std::nullopt;
    const LRESULT result = CallPreviousProc(window, WM_SHOWWINDOW, wp, lp);
    PaintContainer(engine, windowIndex, index, nullptr);
    // The control's own answer stands: a child has no owned pop-ups for the default procedure to show.
    return result;
  }

  // The container answers for its children what the skinned window answers for its own.
  std::optional<LRESULT> OnControlColour(UINT message, HDC dc, HWND control) const {
    const SkinSettings& settings = engine.settings();
    if (!settings.controlsEnabled || !settings.controlAlphaGiven) return std::nullopt;
    bool answered = false;
    const LRESULT brush = engine.AnswerControlColour(windowIndex, message, dc, control, answered);
    return answered ? std::optional<LRESULT>(brush) : std::nullopt;
  }
};

}  // namespace

LRESULT CALLBACK ContainerWindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_NCDESTROY) return DestroyedControl(window, PropSlot::kMain, wp, lp);
  const FoundControl<ContainerRecord> found = FindRecord<ContainerRecord>(window, Family::kContainer);
  if (!found) return CallPreviousProc(window, message, wp, lp);
  ContainerRecord& r = *found.record;
  const ContainerMessages container{window, *found.engine, r, WindowIndexOf(*found.engine, found.controls),
                                    found.listIndex};
  std::optional<LRESULT> answer;
  switch (message) {
    case WM_MOVE:
      // A tinted container shows what lies behind it: it moved, so that changed.
      if (container.OwnPainting() && r.alpha != 255) InvalidateRect(window, nullptr, FALSE);
      break;
    case WM_SIZE: r.dirty = true; break;
    case WM_PAINT: answer = container.OnPaint(); break;
    case WM_PRINTCLIENT: answer = container.OnPrintClient(reinterpret_cast<HDC>(wp)); break;
    case WM_ERASEBKGND:
      if (!container.OwnPainting()) break;
      SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
      return 1;
    case WM_SHOWWINDOW: answer = container.OnShow(wp == TRUE, wp, lp); break;
    case WM_DRAWITEM:
      if (const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp))
        DispatchDrawItem(*found.engine, container.windowIndex, DRAWITEMSTRUCT(*item));
      break;
    case WM_COMMAND:
    case WM_NOTIFY: found.engine->RepaintChangedChild(message, wp, lp); break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      answer = container.OnControlColour(message, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
      break;
  }
  return answer ? *answer : CallPreviousProc(window, message, wp, lp);
}

bool SkinEngine::AttachContainer(HWND control, OptInt type, OptInt colour, OptInt alpha, OptInt frame) {
  if (!IsWindow(control)) return false;
  // A container belongs to the skinned window above it; with none there is nothing to show.
  const int windowIndex = SkinnedAncestor(GetParent(control));
  if (!ControlsOf(windowIndex)) return false;
  if (const ControlLink* link = FindLink(control); link && link->controls) return false;
  ContainerRecord record;
  record.type = type.value_or(1);
  record.colour = COLORREF(colour.value_or(0));
  record.alpha = alpha ? uint8_t(*alpha & 0xFF) : 255;
  record.frame = frame.value_or(0);
  record.isGroupBox = HasClass(control, L"Button") && (GetWindowLongPtrW(control, GWL_STYLE) & 4);
  if (record.isGroupBox) {
    const ControlFont font = ReadControlFont(control);
    record.fontName = font.family;
    record.fontSize = font.size;
    record.fontStyle = font.style;
  }
  for (HWND h = GetParent(control); h && !record.frameAncestor; h = GetParent(h))
    if (PropInt(h, kPropFrameMark) == 1) record.frameAncestor = h;
  // Its controls first: the container takes their messages only once they are skinned.
  InstallControls(windowIndex, control);
  HWND frameAncestor = record.frameAncestor;
  if (!RegisterControl(*this, windowIndex, Family::kContainer, control, &ContainerWindowProc, std::move(record)))
    return false;
  SetPropW(control, kPropFrameAncestor, frameAncestor);
  return true;
}

bool SkinEngine::SetContainerAlpha(HWND control, int32_t alpha) {
  ContainerRecord* r = FindRecord<ContainerRecord>(control, Family::kContainer).record;
  if (!r || r->colour == 0) return false;
  r->alpha = uint8_t(alpha & 0xFF);
  InvalidateRect(control, nullptr, FALSE);
  return true;
}

}  // namespace board
