// The caption strip of a skinned window: its buttons' boxes, hit testing, and where a
// press on the window moves it or resizes it. Pure geometry in client coordinates.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace board {

enum class CaptionKind : int32_t { kClose = 0, kMaximize = 1, kMinimize = 2, kMainMenu = 3, kHelp = 4, kCustom = 5 };

struct BoxF {
  float x = 0, y = 0, width = 0, height = 0;
  bool Contains(float px, float py) const {
    return px >= x && px < x + width && py >= y && py < y + height;
  }
};

struct StripRect {
  int left = 0, top = 0, width = 0, height = 0;
};

constexpr int kResizeBorder = 3;       // the band along the edges where a press resizes
constexpr int kCaptionStripHeight = 22;
constexpr int kCaptionButtonHeight = 18;
constexpr int kCaptionButtonStep = 27;  // a 26-pixel button and a 1-pixel gap
constexpr int kCloseHitWidth = 40;      // the close glyph is 38 wide; its box is 40

// Width of a strip holding buttons of these drawn widths: the widths, one pixel between
// neighbours and three more.
int CaptionStripWidth(std::span<const int> buttonWidths);

// The strip's place. Its right end keeps the close box inside the client area and clear of
// the right edge's resize band: left = client width − border − strip width − 2.
StripRect PlaceCaptionStrip(int clientWidth, int stripWidth);

// Box of button i (1-based) of the strip; the close button's box is 40 wide.
BoxF CaptionButtonBox(const StripRect& strip, int index, CaptionKind kind);

// 1-based number of the first box holding the point, 0 when none.
int HitCaptionBox(std::span<const BoxF> boxes, float x, float y);

// The pointer counts as inside the strip a little beyond its left edge.
bool InsideCaptionStrip(const StripRect& strip, int x, int y);

// What a left press at (x, y) does. Edges are the system's sizing codes: 1 left, 2 right,
// 3 top, 4 top-left, 5 top-right, 6 bottom, 7 bottom-left, 8 bottom-right.
enum class PressAction { kNothing, kMove, kResize };
struct PressResult {
  PressAction action = PressAction::kNothing;
  int edge = 0;
};
struct ClientRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};
// The resize zone under the point, 0 when none; the eight zones are tried in a fixed order
// and the 10-pixel corners are wider than the 3-pixel edge bands.
int ResizeEdgeAt(int x, int y, const ClientRect& client, int border = kResizeBorder);
PressResult DecidePress(int x, int y, const ClientRect& client, const StripRect& strip,
                        bool captionDrag, int captionHeight, int border = kResizeBorder);

// The hover fade of the caption buttons: a 20 ms timer, eight steps each way. Callers feed
// it the window's mouse events and timer ticks and carry out what it returns.
struct ButtonPaint {
  int button = 0;
  bool hot = false;
  int alpha = 0;  // of the highlight when hot
  bool operator==(const ButtonPaint&) const = default;
};
struct HoverFade {
  struct Fade {
    int button = 0, step = 0;
  };
  Fade in, out;
  int lastHot = 0;
  bool timerRunning = false;
  bool mouseTracked = false;

  static constexpr int kSteps = 8;
  static int FadeInAlpha(int step) { return 30 * step; }         // 30 .. 240
  static int FadeOutAlpha(int step) { return 240 - 30 * step; }  // 210 .. 0

  // A mouse move with the button under the pointer (0 for none). Sets `startTimer` when the
  // fade timer is to be started.
  std::vector<ButtonPaint> MouseMove(bool insideStrip, int hot, bool& startTimer);
  // One timer tick; sets `stopTimer` when the timer is to be killed.
  std::vector<ButtonPaint> Tick(bool& stopTimer);
  std::vector<ButtonPaint> MouseLeave(bool interactive);
};

}  // namespace board
