// gen_skin_images OUT_DIR [PREVIEW_PNG]: draws the skin's thirteen pictures and writes each
// as a stored ByteSet (marker, byte count, the JPEG or PNG file) under the name the skin's
// image table gives it. With PREVIEW_PNG it also writes the background shrunk to a third,
// for people to look at.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "skin/skin_images.h"
#include "skin_art/background.h"
#include "skin_art/glyphs.h"
#include "skin_art/image_file.h"
#include "generator_output.h"

namespace {

using board::tools::WriteFile;

using namespace skinart;
using board::SkinImage;

int Fail(const std::string& what) {
  std::fprintf(stderr, "gen_skin_images: %s\n", what.c_str());
  return 1;
}

// Quality 90 keeps the soft gradients clean at a moderate size.
constexpr int kJpegQuality = 90;

std::vector<uint8_t> SmallImageFile(SkinImage image) {
  switch (image) {
    case SkinImage::kHelpGlyph: return EncodePng(DrawCaptionGlyph(CaptionGlyph::kHelp));
    case SkinImage::kMenuGlyph: return EncodePng(DrawCaptionGlyph(CaptionGlyph::kMenu));
    case SkinImage::kMinimiseGlyph: return EncodePng(DrawCaptionGlyph(CaptionGlyph::kMinimise));
    case SkinImage::kMaximiseGlyph: return EncodePng(DrawCaptionGlyph(CaptionGlyph::kMaximise));
    case SkinImage::kRestoreGlyph: return EncodePng(DrawCaptionGlyph(CaptionGlyph::kRestore));
    case SkinImage::kCloseGlyph: return EncodePng(DrawCaptionGlyph(CaptionGlyph::kClose));
    case SkinImage::kCheckBoxEmpty: return EncodePng(DrawCheckBox(false));
    case SkinImage::kCheckBoxTicked: return EncodePng(DrawCheckBox(true));
    case SkinImage::kArrowDown: return EncodePng(DrawArrow(ArrowDirection::kDown));
    case SkinImage::kArrowUp: return EncodePng(DrawArrow(ArrowDirection::kUp));
    case SkinImage::kArrowLeft: return EncodePng(DrawArrow(ArrowDirection::kLeft));
    case SkinImage::kArrowRight: return EncodePng(DrawArrow(ArrowDirection::kRight));
    case SkinImage::kBackground: break;
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) return Fail("usage: gen_skin_images OUT_DIR [PREVIEW_PNG]");
  const std::filesystem::path dir = argv[1];
  for (const board::SkinImageInfo& info : board::kSkinImages) {
    std::vector<uint8_t> file;
    if (info.jpeg) {
      FloatPicture picture = RenderBackground(info.width, info.height);
      file = EncodeJpeg(QuantizeDithered(picture), info.width, info.height, kJpegQuality);
      if (argc == 3) {
        constexpr int kShrink = 3;
        std::vector<uint8_t> preview = EncodeRgbPng(Shrink(picture, kShrink), info.width / kShrink,
                                                    info.height / kShrink);
        if (preview.empty() || !WriteFile(argv[2], preview)) return Fail("cannot write the preview");
      }
    } else {
      file = SmallImageFile(info.image);
    }
    if (file.empty()) return Fail(std::string("cannot encode ") + info.file);
    if (!WriteFile(dir / info.file, StoredByteSet(file)))
      return Fail(std::string("cannot write ") + info.file);
  }
  return 0;
}
