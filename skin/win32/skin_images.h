// The skin's pictures as the exe stores them, read in place and never changed.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>

#include "skin/skin_images.h"
#include "skin/win32/skin_engine.h"

namespace board {

// The whole stored ByteSet (marker, byte count, file bytes) of `image`, as the painters
// pass it on; empty when the module does not hold a well-formed one.
std::span<const uint8_t> SkinImageByteSet(SkinImage image, HMODULE module = nullptr);

// Just the JPEG or PNG file inside it; empty likewise.
std::span<const uint8_t> SkinImageFile(SkinImage image, HMODULE module = nullptr);

// True when `file` is, by address and length, one of the picture files this module stores
// (what SkinImageFile gives): bytes the build made, which the fast decoder may read.
bool IsStoredSkinPicture(std::span<const uint8_t> file, HMODULE module = nullptr);

// The caption buttons' glyphs as the exe stores them, with the given icon (not owned).
SkinArt StoredSkinArt(HICON appIcon, HMODULE module = nullptr);

}  // namespace board
