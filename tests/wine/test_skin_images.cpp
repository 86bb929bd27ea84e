// The skin's pictures as the exe carries them, decoded by the system's own GDI+ the way
// the painters will decode them: from a memory stream.
#include <gtest/gtest.h>
#include <windows.h>

#include <objidl.h>
// GDI+'s headers need the COM declarations above.
#include <gdiplus.h>

#include <memory>
#include <string>

#include "base/value_types.h"
#include "skin/win32/skin_images.h"

namespace board {
namespace {

namespace gp = Gdiplus::DllExports;

struct ReleaseStream {
  void operator()(IStream* s) const { s->Release(); }
};
struct DisposeImage {
  void operator()(Gdiplus::GpBitmap* b) const { gp::GdipDisposeImage(b); }
};
struct FreeModule {
  void operator()(HMODULE m) const { FreeLibrary(m); }
};
using Bitmap = std::unique_ptr<Gdiplus::GpBitmap, DisposeImage>;

class SkinImagesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
  }
  static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(token_); }

  // The file bytes through a stream that owns its copy; null when GDI+ refuses them.
  static Bitmap Decode(std::span<const uint8_t> file) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, file.size());
    if (!memory) return nullptr;
    if (void* p = GlobalLock(memory)) {
      memcpy(p, file.data(), file.size());
      GlobalUnlock(memory);
    }
    IStream* raw = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &raw))) {
      GlobalFree(memory);
      return nullptr;
    }
    std::unique_ptr<IStream, ReleaseStream> stream(raw);
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (gp::GdipCreateBitmapFromStream(stream.get(), &bitmap) != Gdiplus::Ok) return nullptr;
    return Bitmap(bitmap);
  }

  static Gdiplus::ARGB Pixel(const Bitmap& b, int x, int y) {
    Gdiplus::ARGB argb = 0;
    EXPECT_EQ(gp::GdipBitmapGetPixel(b.get(), x, y, &argb), Gdiplus::Ok);
    return argb;
  }

  // Every picture is in `module` and decodes at its size, with the pixel layout its
  // format implies (alpha for the PNGs).
  static void ExpectEveryImage(HMODULE module) {
    for (const SkinImageInfo& info : kSkinImages) {
      SCOPED_TRACE(info.file);
      std::span<const uint8_t> stored = SkinImageByteSet(info.image, module);
      std::span<const uint8_t> file = SkinImageFile(info.image, module);
      ASSERT_FALSE(file.empty()) << "resource missing";
      EXPECT_EQ(stored.size(), file.size() + kByteSetHeader);
      EXPECT_EQ(stored.data() + kByteSetHeader, file.data());
      Bitmap bitmap = Decode(file);
      ASSERT_TRUE(bitmap) << "GDI+ did not decode it";
      UINT width = 0, height = 0;
      gp::GdipGetImageWidth(bitmap.get(), &width);
      gp::GdipGetImageHeight(bitmap.get(), &height);
      EXPECT_EQ(width, UINT(info.width));
      EXPECT_EQ(height, UINT(info.height));
      Gdiplus::PixelFormat format = 0;
      gp::GdipGetImagePixelFormat(bitmap.get(), &format);
      EXPECT_EQ(Gdiplus::IsAlphaPixelFormat(format), !info.jpeg) << std::hex << format;
    }
  }

  static inline ULONG_PTR token_ = 0;
};

TEST_F(SkinImagesTest, TheProgramAndThisTestCarryEveryImage) {
  ExpectEveryImage(nullptr);
  // The product itself, built beside this test.
  wchar_t path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  ASSERT_GT(n, 0u);
  std::wstring exe(path, n);
  exe = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"SoundBoard.exe";
  std::unique_ptr<HINSTANCE__, FreeModule> board(
      LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  ASSERT_TRUE(board) << "cannot open SoundBoard.exe beside the test";
  ExpectEveryImage(board.get());
}

TEST_F(SkinImagesTest, DecodedPixelsKeepTheirColoursAndTransparency) {
  Bitmap ticked = Decode(SkinImageFile(SkinImage::kCheckBoxTicked));
  Bitmap empty = Decode(SkinImageFile(SkinImage::kCheckBoxEmpty));
  Bitmap close = Decode(SkinImageFile(SkinImage::kCloseGlyph));
  Bitmap down = Decode(SkinImageFile(SkinImage::kArrowDown));
  ASSERT_TRUE(ticked && empty && close && down);
  EXPECT_EQ(Pixel(empty, 0, 6), 0xFF030303u);
  EXPECT_EQ(Pixel(empty, 1, 1), 0xFFDEDFD6u);    // RGB(222, 223, 214)
  EXPECT_EQ(Pixel(empty, 11, 11), 0xFFF7F4F0u);  // RGB(247, 244, 240)
  EXPECT_EQ(Pixel(ticked, 12, 3), 0xFF185184u);  // RGB(24, 81, 132)
  // The glyph's field is fully transparent; its strokes are white.
  EXPECT_EQ(Pixel(close, 0, 0) >> 24, 0u);
  EXPECT_EQ(Pixel(close, 19, 9), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(down, 0, 0), 0xFF000000u);
  EXPECT_EQ(Pixel(down, 0, 1) >> 24, 0u);
}

TEST_F(SkinImagesTest, LookupRefusesWhatIsNotThere) {
  EXPECT_TRUE(SkinImageByteSet(SkinImage(-1)).empty());
  EXPECT_TRUE(SkinImageByteSet(SkinImage(kSkinImages.size())).empty());
  // A module without the pictures.
  EXPECT_TRUE(SkinImageFile(SkinImage::kBackground, GetModuleHandleW(L"kernel32.dll")).empty());
}

}  // namespace
}  // namespace board
