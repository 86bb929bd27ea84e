// The skin-engine operations start-up calls on the main window. Optional arguments travel
// as a value with a "given" flag: one not given takes the operation's default.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>

namespace board {

struct OptInt {
  int32_t value = 0;
  bool given = false;
};
constexpr OptInt Given(int32_t v) { return {v, true}; }
constexpr OptInt NotGiven() { return {}; }

// The optional settings of AttachWindow, in the order the caller gives them.
struct AttachWindowOptions {
  OptInt interactive;   // hover, caption buttons, dragging and resizing act (default 1)
  OptInt captionDrag;   // presses in the caption band move the window (default 1)
  OptInt optionA, optionB;  // kept for the control painters (default 0)
  OptInt showTitle;     // the caption shows the window's title (default 1)
  OptInt captionGloss;  // a white gloss over the caption band (default 0)
  OptInt itemCount;     // items of the caption's item strip (default 0)
  OptInt imageMode;     // layout of the window's own picture (default: the shared mode)
};

// The window's skin. Until the skin engine exists every call does nothing and succeeds.
class SkinEngine {
 public:
  SkinEngine();
  virtual ~SkinEngine() = default;
  SkinEngine(const SkinEngine&) = delete;
  SkinEngine& operator=(const SkinEngine&) = delete;
  COLORREF faceColour() const { return faceColour_; }

  // The shared background picture (from a file or from bytes) and the colours.
  virtual bool SetSkinImage(const wchar_t* fileName, std::span<const uint8_t> image,
                            OptInt faceColour, OptInt themeColour, OptInt mode);
  virtual bool SetControlSkinning(int32_t enabled, OptInt alpha, OptInt option);
  // `reserved` is accepted and ignored.
  virtual bool AttachWindow(HWND window, int32_t captionHeight, int32_t reserved,
                            const AttachWindowOptions& options);
  virtual bool AttachContainer(HWND control, OptInt type, OptInt colour, OptInt alpha,
                               OptInt frame);

 private:
  COLORREF faceColour_;
};

}  // namespace board
