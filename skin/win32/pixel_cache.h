// Small pictures the painters draw again and again, kept as plain pixels: read once from
// where they come from (a stored picture file, a header's image list), then lent to GDI+
// for one paint at a time. Plain memory outlives the GDI+ session and the GDI objects.
#pragma once
#include <cstdint>
#include <map>
#include <vector>

#include "skin/win32/gdiplus_objects.h"

namespace board {

// 32-bit ARGB pixels, top row first, `width` to a row; empty when there are none.
struct PixelBlock {
  int width = 0, height = 0;
  std::vector<uint32_t> argb;
  bool empty() const { return argb.empty(); }
};

// A GDI+ bitmap over the block's own pixels, good while the block lives.
inline gp::Bitmap BitmapOver(PixelBlock& block) {
  return gp::Bitmap::FromScan0(block.width, block.height, block.width * 4, PixelFormat32bppARGB,
                               reinterpret_cast<BYTE*>(block.argb.data()));
}

template <class Key>
class PixelCache {
 public:
  // The block kept for `key`, made by `make()` on the first request; null when it is empty.
  // An empty block is kept, so a failure is not tried on every paint, unless `retryEmpty`
  // asks for another try next time.
  template <class Make>
  PixelBlock* Get(const Key& key, Make&& make, bool retryEmpty = false) {
    auto it = blocks_.find(key);
    if (it == blocks_.end()) {
      PixelBlock made = make();
      if (made.empty() && retryEmpty) return nullptr;
      it = blocks_.emplace(key, std::move(made)).first;
    }
    return it->second.empty() ? nullptr : &it->second;
  }

 private:
  std::map<Key, PixelBlock> blocks_;
};

}  // namespace board
