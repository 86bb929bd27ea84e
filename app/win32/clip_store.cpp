#include "app/win32/clip_store.h"

#include <windows.h>

#include <span>

#include "app/clip_catalogue.h"
#include "base/win32/resource_bytes.h"

namespace board {

const uint8_t* ClipByteSet(int clipId) {
  std::span<const uint8_t> clip = FindClip(ResourceBytes(L"CLIPS"), clipId);
  return clip.empty() ? nullptr : clip.data();
}

}  // namespace board
