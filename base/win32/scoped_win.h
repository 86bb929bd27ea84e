// One tiny owner per Windows resource: the destructor releases it, so no return path leaks.
#pragma once
#include <windows.h>

#include <atomic>
#include <utility>

namespace board {

// GDI objects alive in this process that an owner below holds. Wine's GetGuiResources
// always answers 0, so tests and benchmarks that look for GDI leaks count here instead.
inline std::atomic<long> g_liveGdiObjects{0};
inline long LiveGdiObjects() { return g_liveGdiObjects.load(); }

// The one owner template. `Traits` names the handle type, its empty value, how a handle
// handed in is taken (Adopt may turn a failure value into the empty one) and how it is
// released.
template <typename Traits>
class Scoped {
 public:
  using Handle = typename Traits::Handle;

  Scoped() = default;
  explicit Scoped(Handle h) : h_(Traits::Adopt(h)) {}
  Scoped(Scoped&& o) noexcept : h_(std::exchange(o.h_, Handle{})) {}
  Scoped& operator=(Scoped&& o) noexcept {
    if (this != &o) {
      Free();
      h_ = std::exchange(o.h_, Handle{});
    }
    return *this;
  }
  ~Scoped() { Free(); }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;

  Handle get() const { return h_; }
  explicit operator bool() const { return h_ != Handle{}; }
  // Gives the handle up without releasing it.
  Handle release() {
    if (h_ != Handle{}) Traits::Disown(h_);
    return std::exchange(h_, Handle{});
  }
  void reset(Handle h = Handle{}) {
    Free();
    h_ = Traits::Adopt(h);
  }

 private:
  void Free() {
    if (h_ != Handle{}) Traits::Release(h_);
    h_ = Handle{};
  }
  Handle h_{};
};

// Kernel handles (threads, events, semaphores, processes, files); INVALID_HANDLE_VALUE,
// what a failed CreateFile returns, is taken as no handle.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static HANDLE Adopt(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }
  static void Disown(HANDLE) {}
  static void Release(HANDLE h) { CloseHandle(h); }
};
using UniqueHandle = Scoped<KernelHandleTraits>;

// GDI and USER objects counted while owned; `Destroy` is the call that frees one.
template <typename T, auto Destroy>
struct CountedTraits {
  using Handle = T;
  static T Adopt(T obj) {
    if (obj) ++g_liveGdiObjects;
    return obj;
  }
  static void Disown(T) { --g_liveGdiObjects; }
  static void Release(T obj) {
    Destroy(obj);
    --g_liveGdiObjects;
  }
};
// Fonts, brushes, pens, bitmaps, regions.
template <typename T>
using ScopedGdiObj = Scoped<CountedTraits<T, &DeleteObject>>;
using ScopedFont = ScopedGdiObj<HFONT>;
using ScopedBrush = ScopedGdiObj<HBRUSH>;
using ScopedBitmap = ScopedGdiObj<HBITMAP>;
using ScopedRegion = ScopedGdiObj<HRGN>;
using ScopedPen = ScopedGdiObj<HPEN>;
// Icons this program created, or loaded without LR_SHARED.
using ScopedIcon = Scoped<CountedTraits<HICON, &DestroyIcon>>;
// A memory DC from CreateCompatibleDC.
using ScopedMemoryDc = Scoped<CountedTraits<HDC, &DeleteDC>>;

// A window's DC from GetDC (or GetWindowDC), given back to that window.
class ScopedGetDc {
 public:
  enum Area { kClient, kWholeWindow };  // GetDC or GetWindowDC (the frame included)
  explicit ScopedGetDc(HWND window, Area area = kClient)
      : window_(window), dc_(area == kClient ? GetDC(window) : GetWindowDC(window)) {}
  ~ScopedGetDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  ScopedGetDc(const ScopedGetDc&) = delete;
  ScopedGetDc& operator=(const ScopedGetDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a DC for a scope; the previous one goes back at its end.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~ScopedSelectObject() {
    if (old_) SelectObject(dc_, old_);
  }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A critical section and its scoped entry.
class CritSec {
 public:
  CritSec() { InitializeCriticalSection(&cs_); }
  ~CritSec() { DeleteCriticalSection(&cs_); }
  CritSec(const CritSec&) = delete;
  CritSec& operator=(const CritSec&) = delete;
  void enter() { EnterCriticalSection(&cs_); }
  void leave() { LeaveCriticalSection(&cs_); }

 private:
  CRITICAL_SECTION cs_;
};

class ScopedCritSec {
 public:
  explicit ScopedCritSec(CritSec& cs) : cs_(cs) { cs_.enter(); }
  ~ScopedCritSec() { cs_.leave(); }
  ScopedCritSec(const ScopedCritSec&) = delete;
  ScopedCritSec& operator=(const ScopedCritSec&) = delete;

 private:
  CritSec& cs_;
};

}  // namespace board
