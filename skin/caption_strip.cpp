#include "skin/caption_strip.h"

#include <numeric>

namespace board {

int CaptionStripWidth(std::span<const int> buttonWidths) {
  if (buttonWidths.empty()) return 3;
  return std::accumulate(buttonWidths.begin(), buttonWidths.end(), 0) +
         int(buttonWidths.size()) - 1 + 3;
}

StripRect PlaceCaptionStrip(int clientWidth, int stripWidth) {
  return {clientWidth - kResizeBorder - stripWidth - 2, 0, stripWidth, kCaptionStripHeight};
}

BoxF CaptionButtonBox(const StripRect& strip, int index, CaptionKind kind) {
  const float width = kind == CaptionKind::kClose ? float(kCloseHitWidth) : 26.0f;
  return {float(strip.left + 2 + kCaptionButtonStep * (index - 1)), float(strip.top), width,
          float(kCaptionButtonHeight)};
}

int HitCaptionBox(std::span<const BoxF> boxes, float x, float y) {
  for (size_t i = 0; i < boxes.size(); ++i)
    if (boxes[i].Contains(x, y)) return int(i) + 1;
  return 0;
}

bool InsideCaptionStrip(const StripRect& strip, int x, int y) {
  return x >= strip.left - 2 && x <= strip.left + strip.width && y >= 0 && y <= strip.height;
}

int ResizeEdgeAt(int x, int y, const ClientRect& r, int b) {
  if (x <= b && y >= 11 && y < r.bottom - 10) return 1;
  if (x >= r.right - b && y >= 11 && y < r.bottom - 10) return 2;
  if (y <= b && x >= 11 && x < r.right - 10) return 3;
  if (y >= r.bottom - b && x >= 11 && x < r.right - 10) return 6;
  if (x <= 10 && y <= 10) return 4;
  if (x >= r.right - 10 && y <= 10) return 5;
  if (x <= 10 && y >= r.bottom - 10) return 7;
  if (x >= r.right - 10 && y >= r.bottom - 10) return 8;
  return 0;
}

PressResult DecidePress(int x, int y, const ClientRect& client, const StripRect& strip,
                        bool captionDrag, int captionHeight, int border) {
  // A press on a caption button is the button's, not the frame's.
  if (x >= strip.left && x <= strip.left + strip.width && y >= 3 && y <= strip.height) return {};
  if (captionDrag && y <= captionHeight) return {PressAction::kMove, 0};
  const int edge = ResizeEdgeAt(x, y, client, border);
  if (edge) return {PressAction::kResize, edge};
  return {};
}

std::vector<ButtonPaint> HoverFade::MouseMove(bool insideStrip, int hot, bool& startTimer) {
  std::vector<ButtonPaint> paints;
  startTimer = false;
  if (insideStrip) {
    if (!timerRunning) startTimer = timerRunning = true;
  } else {
    timerRunning = false;
  }
  if (lastHot >= 1 && lastHot != hot) {
    // A fade-out still running is cut short: its button goes back to normal at once.
    if (out.button && out.step < kSteps) paints.push_back({out.button, false, 0});
    out = {lastHot, 0};
  }
  if (hot >= 1 && hot != lastHot) in = {hot, 0};
  lastHot = hot;
  return paints;
}

std::vector<ButtonPaint> HoverFade::Tick(bool& stopTimer) {
  std::vector<ButtonPaint> paints;
  stopTimer = false;
  if (in.button && in.step < kSteps) {
    ++in.step;
    paints.push_back({in.button, true, FadeInAlpha(in.step)});
  }
  if (out.button && out.step < kSteps) {
    ++out.step;
    paints.push_back({out.button, true, FadeOutAlpha(out.step)});
  }
  const bool pointerGone = !mouseTracked || !timerRunning;
  const bool fadeOutDone = !out.button || out.step >= kSteps;
  if (pointerGone && fadeOutDone) {
    stopTimer = true;
    timerRunning = false;
    lastHot = 0;
    in = {};
    out = {};
  }
  return paints;
}

std::vector<ButtonPaint> HoverFade::MouseLeave(bool interactive) {
  std::vector<ButtonPaint> paints;
  mouseTracked = false;
  if (lastHot >= 1 && interactive) {
    if (in.step < kSteps && out.step < kSteps) {
      if (out.button) paints.push_back({out.button, false, 0});
      in = {};
    }
    out = {lastHot, 0};
    lastHot = 0;
  }
  return paints;
}

}  // namespace board
