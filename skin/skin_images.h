// The skin's thirteen pictures: one table read by the build-time generator (file names and
// sizes), the program (resource names) and the tests. Each is stored as a ByteSet holding a
// whole JPEG or PNG file.
#pragma once
#include <array>
#include <cstddef>

namespace board {

enum class SkinImage : int {
  kBackground,
  kHelpGlyph,
  kMenuGlyph,
  kMinimiseGlyph,
  kMaximiseGlyph,
  kRestoreGlyph,
  kCloseGlyph,
  kCheckBoxEmpty,
  kCheckBoxTicked,
  kArrowDown,
  kArrowUp,
  kArrowLeft,
  kArrowRight,
};

struct SkinImageInfo {
  SkinImage image;
  const char* file;         // in the generated folder: the stored ByteSet
  const wchar_t* resource;  // RCDATA name in the exe
  int width;
  int height;
  bool jpeg;  // baseline JPEG; otherwise 32-bit RGBA PNG
};

// In SkinImage order.
inline constexpr std::array<SkinImageInfo, 13> kSkinImages = {{
    {SkinImage::kBackground, "skin_background.bin", L"SKIN_BACKGROUND", 1920, 1200, true},
    {SkinImage::kHelpGlyph, "skin_help.bin", L"SKIN_HELP", 26, 18, false},
    {SkinImage::kMenuGlyph, "skin_menu.bin", L"SKIN_MENU", 26, 18, false},
    {SkinImage::kMinimiseGlyph, "skin_minimise.bin", L"SKIN_MINIMISE", 26, 18, false},
    {SkinImage::kMaximiseGlyph, "skin_maximise.bin", L"SKIN_MAXIMISE", 26, 18, false},
    {SkinImage::kRestoreGlyph, "skin_restore.bin", L"SKIN_RESTORE", 26, 18, false},
    {SkinImage::kCloseGlyph, "skin_close.bin", L"SKIN_CLOSE", 38, 18, false},
    {SkinImage::kCheckBoxEmpty, "skin_check_empty.bin", L"SKIN_CHECK_EMPTY", 13, 13, false},
    {SkinImage::kCheckBoxTicked, "skin_check_ticked.bin", L"SKIN_CHECK_TICKED", 13, 13, false},
    {SkinImage::kArrowDown, "skin_arrow_down.bin", L"SKIN_ARROW_DOWN", 7, 4, false},
    {SkinImage::kArrowUp, "skin_arrow_up.bin", L"SKIN_ARROW_UP", 7, 4, false},
    {SkinImage::kArrowLeft, "skin_arrow_left.bin", L"SKIN_ARROW_LEFT", 4, 7, false},
    {SkinImage::kArrowRight, "skin_arrow_right.bin", L"SKIN_ARROW_RIGHT", 4, 7, false},
}};

// The table's entry for `image`, or nullptr for a value outside the enum.
inline constexpr const SkinImageInfo* FindSkinImage(SkinImage image) {
  size_t i = size_t(image);
  return i < kSkinImages.size() && kSkinImages[i].image == image ? &kSkinImages[i] : nullptr;
}

}  // namespace board
