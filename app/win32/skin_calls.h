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

// The window's skin. Until the skin engine exists every call does nothing and succeeds.
class SkinEngine {
 public:
  SkinEngine();
  virtual ~SkinEngine() = default;
  COLORREF faceColour() const { return faceColour_; }

  virtual bool SetSkinImage(const wchar_t* path, std::span<const uint8_t> image, OptInt faceColour,
                            OptInt themeColour, OptInt mode);
  virtual bool SetControlSkinning(int32_t enable, OptInt alpha, OptInt last);
  // args: the caption height, then the further settings; opts: the optional ones.
  virtual bool AttachWindow(HWND window, int32_t captionHeight, int32_t third,
                            std::span<const OptInt> options);
  virtual bool AttachContainer(HWND control, OptInt second, OptInt faceColour, OptInt fourth,
                               OptInt last);

 private:
  COLORREF faceColour_;
};

}  // namespace board
