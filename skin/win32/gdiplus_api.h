// The GdiPlusApi: named external entries, each bound to its function on its first call,
// so the program loads gdiplus.dll only when the skin first draws. GDI+ start-up and
// shut-down go through it too. GUI thread only.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <string>
#include <type_traits>
#include <utility>

namespace board::gp {

// The system calls the binder makes; tests swap in fakes that count or record them.
struct BindingCalls {
  HMODULE(WINAPI* loadLibrary)(LPCWSTR name);
  FARPROC(WINAPI* getProcAddress)(HMODULE module, LPCSTR name);
  BOOL(WINAPI* freeLibrary)(HMODULE module);
  int(WINAPI* messageBox)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
};
BindingCalls& CurrentBindingCalls();  // the real API unless a test replaced it
const BindingCalls& RealBindingCalls();

// One entry's name and binding. Binding is tried once: an entry that cannot be bound shows
// its message that one time and from then on fails without calling, so a missing export
// cannot raise a message box on every paint. A bound entry keeps its library loaded until
// the process ends.
class EntryBinding {
 public:
  // The names are kept, not copied: pass literals or strings that outlive the entry.
  EntryBinding(const wchar_t* library, const char* exportName)
      : library_(library), export_(exportName) {}
  EntryBinding(const EntryBinding&) = delete;
  EntryBinding& operator=(const EntryBinding&) = delete;

  FARPROC Bind();  // the function's address, or nullptr when it cannot be found
  // Binds to a known address without loading anything (tests put fakes here).
  void BindTo(FARPROC address, HMODULE module = nullptr) {
    address_ = address;
    module_ = module;
    tried_ = true;
  }
  FARPROC address() const { return address_; }
  HMODULE module() const { return module_; }
  const wchar_t* library() const { return library_; }
  const char* exportName() const { return export_; }

 private:
  const wchar_t* library_;
  const char* export_;
  FARPROC address_ = nullptr;
  HMODULE module_ = nullptr;
  bool tried_ = false;
};

// What an entry gives back when it could not be bound: a GDI+ status that is not Ok, else
// the zero of the result type (a null handle, FALSE), so no failure reads as success.
template <typename R>
R UnboundResult() {
  if constexpr (std::is_void_v<R>) {
    return;
  } else if constexpr (std::is_same_v<R, Gdiplus::Status>) {
    return Gdiplus::Win32Error;
  } else {
    return R{};
  }
}

// A typed entry: `Fn` is the function's pointer type, calling convention included.
template <typename Fn>
class Entry : public EntryBinding {
 public:
  using EntryBinding::EntryBinding;
  template <typename... Args>
  auto operator()(Args&&... args) {
    using R = std::invoke_result_t<Fn, Args...>;
    FARPROC address = Bind();
    if (!address) return UnboundResult<R>();
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(address))(std::forward<Args>(args)...);
  }
};

// The GDI+ flat-API functions the skin calls, each bound on its first use. Every entry
// keeps the type of the system's own declaration.
#define BOARD_GDIPLUS_ENTRY(name) \
  Entry<decltype(&Gdiplus::DllExports::name)> name{L"gdiplus.dll", #name};
struct GdiPlusApi {
  Entry<decltype(&Gdiplus::GdiplusStartup)> GdiplusStartup{L"gdiplus.dll", "GdiplusStartup"};
  Entry<decltype(&Gdiplus::GdiplusShutdown)> GdiplusShutdown{L"gdiplus.dll", "GdiplusShutdown"};
  // Graphics
  BOARD_GDIPLUS_ENTRY(GdipCreateFromHDC)
  BOARD_GDIPLUS_ENTRY(GdipCreateFromHWND)
  BOARD_GDIPLUS_ENTRY(GdipGetImageGraphicsContext)
  BOARD_GDIPLUS_ENTRY(GdipDeleteGraphics)
  BOARD_GDIPLUS_ENTRY(GdipSetSmoothingMode)
  BOARD_GDIPLUS_ENTRY(GdipSetInterpolationMode)
  BOARD_GDIPLUS_ENTRY(GdipSetCompositingMode)
  BOARD_GDIPLUS_ENTRY(GdipSetCompositingQuality)
  BOARD_GDIPLUS_ENTRY(GdipSetPixelOffsetMode)
  BOARD_GDIPLUS_ENTRY(GdipSetTextRenderingHint)
  BOARD_GDIPLUS_ENTRY(GdipSetClipPath)
  BOARD_GDIPLUS_ENTRY(GdipSetClipRect)
  BOARD_GDIPLUS_ENTRY(GdipSetClipRegion)
  BOARD_GDIPLUS_ENTRY(GdipResetClip)
  BOARD_GDIPLUS_ENTRY(GdipTranslateWorldTransform)
  BOARD_GDIPLUS_ENTRY(GdipRotateWorldTransform)
  BOARD_GDIPLUS_ENTRY(GdipResetWorldTransform)
  BOARD_GDIPLUS_ENTRY(GdipGraphicsClear)
  BOARD_GDIPLUS_ENTRY(GdipFlush)
  BOARD_GDIPLUS_ENTRY(GdipDrawLine)
  BOARD_GDIPLUS_ENTRY(GdipDrawPath)
  BOARD_GDIPLUS_ENTRY(GdipFillPath)
  BOARD_GDIPLUS_ENTRY(GdipFillRectangle)
  BOARD_GDIPLUS_ENTRY(GdipDrawImage)
  BOARD_GDIPLUS_ENTRY(GdipDrawImageRect)
  BOARD_GDIPLUS_ENTRY(GdipDrawImageRectRect)
  BOARD_GDIPLUS_ENTRY(GdipDrawString)
  BOARD_GDIPLUS_ENTRY(GdipMeasureString)
  // Paths
  BOARD_GDIPLUS_ENTRY(GdipCreatePath)
  BOARD_GDIPLUS_ENTRY(GdipDeletePath)
  BOARD_GDIPLUS_ENTRY(GdipAddPathLine)
  BOARD_GDIPLUS_ENTRY(GdipAddPathArc)
  BOARD_GDIPLUS_ENTRY(GdipAddPathRectangle)
  BOARD_GDIPLUS_ENTRY(GdipStartPathFigure)
  BOARD_GDIPLUS_ENTRY(GdipClosePathFigure)
  BOARD_GDIPLUS_ENTRY(GdipGetPathWorldBounds)
  // Brushes
  BOARD_GDIPLUS_ENTRY(GdipDeleteBrush)
  BOARD_GDIPLUS_ENTRY(GdipCreateSolidFill)
  BOARD_GDIPLUS_ENTRY(GdipSetSolidFillColor)
  BOARD_GDIPLUS_ENTRY(GdipCreateLineBrush)
  BOARD_GDIPLUS_ENTRY(GdipCreateLineBrushFromRect)
  BOARD_GDIPLUS_ENTRY(GdipSetLineWrapMode)
  BOARD_GDIPLUS_ENTRY(GdipSetLinePresetBlend)
  BOARD_GDIPLUS_ENTRY(GdipCreatePathGradientFromPath)
  BOARD_GDIPLUS_ENTRY(GdipSetPathGradientCenterColor)
  BOARD_GDIPLUS_ENTRY(GdipSetPathGradientSurroundColorsWithCount)
  // Pens
  BOARD_GDIPLUS_ENTRY(GdipCreatePen1)
  BOARD_GDIPLUS_ENTRY(GdipDeletePen)
  // Fonts and text layout
  BOARD_GDIPLUS_ENTRY(GdipCreateFontFamilyFromName)
  BOARD_GDIPLUS_ENTRY(GdipDeleteFontFamily)
  BOARD_GDIPLUS_ENTRY(GdipCreateFont)
  BOARD_GDIPLUS_ENTRY(GdipCreateFontFromDC)
  BOARD_GDIPLUS_ENTRY(GdipCreateFontFromLogfontW)
  BOARD_GDIPLUS_ENTRY(GdipDeleteFont)
  BOARD_GDIPLUS_ENTRY(GdipGetFontSize)
  BOARD_GDIPLUS_ENTRY(GdipCreateStringFormat)
  BOARD_GDIPLUS_ENTRY(GdipDeleteStringFormat)
  BOARD_GDIPLUS_ENTRY(GdipSetStringFormatAlign)
  BOARD_GDIPLUS_ENTRY(GdipSetStringFormatLineAlign)
  BOARD_GDIPLUS_ENTRY(GdipSetStringFormatFlags)
  BOARD_GDIPLUS_ENTRY(GdipSetStringFormatTrimming)
  BOARD_GDIPLUS_ENTRY(GdipStringFormatGetGenericTypographic)
  BOARD_GDIPLUS_ENTRY(GdipCloneStringFormat)
  // Images and bitmaps
  BOARD_GDIPLUS_ENTRY(GdipLoadImageFromStream)
  BOARD_GDIPLUS_ENTRY(GdipLoadImageFromFile)
  BOARD_GDIPLUS_ENTRY(GdipDisposeImage)
  BOARD_GDIPLUS_ENTRY(GdipGetImageWidth)
  BOARD_GDIPLUS_ENTRY(GdipGetImageHeight)
  BOARD_GDIPLUS_ENTRY(GdipGetImageRawFormat)
  BOARD_GDIPLUS_ENTRY(GdipGetImageHorizontalResolution)
  BOARD_GDIPLUS_ENTRY(GdipGetImageVerticalResolution)
  BOARD_GDIPLUS_ENTRY(GdipGetImageEncodersSize)
  BOARD_GDIPLUS_ENTRY(GdipGetImageEncoders)
  BOARD_GDIPLUS_ENTRY(GdipSaveImageToStream)
  BOARD_GDIPLUS_ENTRY(GdipSaveImageToFile)
  BOARD_GDIPLUS_ENTRY(GdipCreateBitmapFromStream)
  BOARD_GDIPLUS_ENTRY(GdipCreateBitmapFromFile)
  BOARD_GDIPLUS_ENTRY(GdipCreateBitmapFromScan0)
  BOARD_GDIPLUS_ENTRY(GdipBitmapGetPixel)
  BOARD_GDIPLUS_ENTRY(GdipBitmapSetPixel)
  BOARD_GDIPLUS_ENTRY(GdipBitmapSetResolution)
  BOARD_GDIPLUS_ENTRY(GdipCreateHBITMAPFromBitmap)
  BOARD_GDIPLUS_ENTRY(GdipCreateEffect)
  BOARD_GDIPLUS_ENTRY(GdipSetEffectParameters)
  BOARD_GDIPLUS_ENTRY(GdipDeleteEffect)
  BOARD_GDIPLUS_ENTRY(GdipBitmapApplyEffect)
  // Regions
  BOARD_GDIPLUS_ENTRY(GdipCreateRegion)
  BOARD_GDIPLUS_ENTRY(GdipCreateRegionRect)
  BOARD_GDIPLUS_ENTRY(GdipCreateRegionPath)
  BOARD_GDIPLUS_ENTRY(GdipCreateRegionHrgn)
  BOARD_GDIPLUS_ENTRY(GdipDeleteRegion)
  BOARD_GDIPLUS_ENTRY(GdipCombineRegionRegion)
  BOARD_GDIPLUS_ENTRY(GdipCombineRegionRect)
  BOARD_GDIPLUS_ENTRY(GdipCombineRegionPath)
  BOARD_GDIPLUS_ENTRY(GdipTranslateRegion)
  BOARD_GDIPLUS_ENTRY(GdipIsVisibleRegionPoint)
};
#undef BOARD_GDIPLUS_ENTRY

// The process's one table, never destroyed: GDI+ objects that outlive static destruction
// can still be deleted through it.
GdiPlusApi& Api();

// Starts GDI+ (the given version, no debug callback, background thread and external codecs
// as usual, no output block); keeps the token as the module's own and returns it, 0 on
// failure.
ULONG_PTR StartGdiPlus(UINT32 version = 1);
// Shuts down the module's own token and clears it; nothing when there is none.
void StopGdiPlus();
// Shuts down `token`. A token is shut down at most once, however many owners ask; 0 and
// unknown tokens do nothing.
void StopGdiPlus(ULONG_PTR token);
// True while some token started here is still running.
bool GdiPlusRunning();

}  // namespace board::gp
