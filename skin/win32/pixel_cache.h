// Small pictures the painters draw again and again, kept as plain pixels: read once from
// where they come from (a stored picture file, a header's image list), then lent to GDI+
// for one paint at a time. Plain memory outlives the GDI+ session and the GDI objects.
#pragma once
#include <map>

#include "skin/picture_pixels.h"
#include "skin/win32/gdiplus_objects.h"

namespace board {

// A GDI+ bitmap over the picture's own pixels, good while the picture lives.
inline gp::Bitmap BitmapOver(Picture& picture) {
  return gp::Bitmap::FromScan0(picture.width, picture.height, picture.width * 4, PixelFormat32bppARGB,
                               reinterpret_cast<BYTE*>(picture.argb.data()));
}

template <class Key>
class PixelCache {
 public:
  // The picture kept for `key`, made by `make()` on the first request; null when it is empty.
  // An empty picture is kept, so a failure is not tried on every paint, unless `retryEmpty`
  // asks for another try next time.
  template <class Make>
  Picture* Get(const Key& key, Make&& make, bool retryEmpty = false) {
    auto it = blocks_.find(key);
    if (it == blocks_.end()) {
      Picture made = make();
      if (made.empty() && retryEmpty) return nullptr;
      it = blocks_.emplace(key, std::move(made)).first;
    }
    return it->second.empty() ? nullptr : &it->second;
  }

 private:
  std::map<Key, Picture> blocks_;
};

}  // namespace board
