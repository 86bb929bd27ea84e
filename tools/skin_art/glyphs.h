// The small pictures of the skin: the caption-button glyphs (white strokes on full
// transparency), the two check-box states and the four arrow triangles.
#pragma once
#include "skin_art/image_file.h"

namespace skinart {

enum class CaptionGlyph { kHelp, kMenu, kMinimise, kMaximise, kRestore, kClose };

// 26 x 18, the close glyph 38 x 18.
RgbaImage DrawCaptionGlyph(CaptionGlyph glyph);

// 13 x 13, opaque.
RgbaImage DrawCheckBox(bool ticked);

enum class ArrowDirection { kDown, kUp, kLeft, kRight };

// Black triangle on transparency: 7 x 4 pointing down or up, 4 x 7 pointing left or right.
RgbaImage DrawArrow(ArrowDirection direction);

}  // namespace skinart
