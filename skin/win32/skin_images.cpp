#include "skin/win32/skin_images.h"

#include "base/value_types.h"
#include "base/win32/resource_bytes.h"

namespace board {

std::span<const uint8_t> SkinImageByteSet(SkinImage image, HMODULE module) {
  const SkinImageInfo* info = FindSkinImage(image);
  if (!info) return {};
  std::span<const uint8_t> stored = ResourceBytes(info->resource, MAKEINTRESOURCEW(10), module);
  std::span<const uint8_t> file = ByteSetBytes(stored);
  // A resource padded past its ByteSet is cut to the ByteSet itself.
  return file.empty() ? file : stored.first(kByteSetHeader + file.size());
}

std::span<const uint8_t> SkinImageFile(SkinImage image, HMODULE module) {
  return ByteSetBytes(SkinImageByteSet(image, module));
}

bool IsStoredSkinPicture(std::span<const uint8_t> file, HMODULE module) {
  if (file.empty()) return false;
  for (const SkinImageInfo& info : kSkinImages) {
    const std::span<const uint8_t> stored = SkinImageFile(info.image, module);
    if (stored.data() == file.data() && stored.size() == file.size()) return true;
  }
  return false;
}

SkinArt StoredSkinArt(HICON appIcon, HMODULE module) {
  SkinArt art;
  art.help = SkinImageFile(SkinImage::kHelpGlyph, module);
  art.menu = SkinImageFile(SkinImage::kMenuGlyph, module);
  art.minimise = SkinImageFile(SkinImage::kMinimiseGlyph, module);
  art.maximise = SkinImageFile(SkinImage::kMaximiseGlyph, module);
  art.restore = SkinImageFile(SkinImage::kRestoreGlyph, module);
  art.close = SkinImageFile(SkinImage::kCloseGlyph, module);
  art.appIcon = appIcon;
  return art;
}

}  // namespace board
