#include <gtest/gtest.h>
#include <stb_image.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/value_types.h"
#include "generated_files.h"
#include "skin/skin_images.h"

namespace board {
namespace {

struct Decoded {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
  std::array<uint8_t, 4> at(int x, int y) const {
    const uint8_t* p = &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4];
    return {p[0], p[1], p[2], p[3]};
  }
};

std::span<const uint8_t> File(SkinImage image) {
  return ByteSetBytes(GeneratedFile(FindSkinImage(image)->file));
}

Decoded Decode(SkinImage image) {
  std::span<const uint8_t> file = File(image);
  Decoded d;
  int channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(file.data(), int(file.size()), &d.width, &d.height, &channels, 4);
  if (pixels) d.rgba.assign(pixels, pixels + size_t(d.width) * size_t(d.height) * 4);
  stbi_image_free(pixels);
  return d;
}

using Rgba = std::array<uint8_t, 4>;

TEST(SkinImages, EachIsOneByteSetHoldingAFileOfItsFormatAndSize) {
  for (const SkinImageInfo& info : kSkinImages) {
    SCOPED_TRACE(info.file);
    const std::vector<uint8_t>& stored = GeneratedFile(info.file);
    std::span<const uint8_t> file = ByteSetBytes(stored);
    ASSERT_FALSE(file.empty()) << "no ByteSet in " << GENERATED_DIR;
    EXPECT_EQ(stored.size(), kByteSetHeader + file.size()) << "bytes after the ByteSet";
    if (info.jpeg) {
      ASSERT_GE(file.size(), 4u);
      EXPECT_EQ(file[0], 0xFF);
      EXPECT_EQ(file[1], 0xD8);
      // A baseline frame (SOF0), and no progressive one (SOF2).
      bool baseline = false, progressive = false;
      for (size_t i = 2; i + 1 < file.size(); ++i) {
        if (file[i] != 0xFF) continue;
        baseline |= file[i + 1] == 0xC0;
        progressive |= file[i + 1] == 0xC2;
      }
      EXPECT_TRUE(baseline);
      EXPECT_FALSE(progressive);
    } else {
      ASSERT_GE(file.size(), 33u);
      EXPECT_EQ(std::string(file.begin() + 12, file.begin() + 16), "IHDR");
      EXPECT_EQ(file[24], 8) << "bit depth";
      EXPECT_EQ(file[25], 6) << "colour type: RGBA";
    }
    Decoded d = Decode(info.image);
    EXPECT_EQ(d.width, info.width);
    EXPECT_EQ(d.height, info.height);
  }
}

TEST(SkinImages, CheckBoxesHaveTheirExactColours) {
  const Rgba from{222, 223, 214, 255}, to{247, 244, 240, 255};
  Decoded empty = Decode(SkinImage::kCheckBoxEmpty), ticked = Decode(SkinImage::kCheckBoxTicked);
  ASSERT_EQ(empty.width, 13);
  ASSERT_EQ(ticked.width, 13);
  int tickPixels = 0;
  for (int y = 0; y < 13; ++y) {
    for (int x = 0; x < 13; ++x) {
      SCOPED_TRACE(::testing::Message() << "(" << x << ", " << y << ")");
      bool border = x == 0 || y == 0 || x == 12 || y == 12;
      if (border) {
        EXPECT_EQ(empty.at(x, y), (Rgba{3, 3, 3, 255}));
        EXPECT_EQ(ticked.at(x, y), (Rgba{24, 81, 132, 255}));
        continue;
      }
      EXPECT_EQ(empty.at(x, y)[3], 255);
      // The ticked box is the empty one's interior with the tick on it.
      if (ticked.at(x, y) == Rgba{36, 110, 117, 255})
        ++tickPixels;
      else
        EXPECT_EQ(ticked.at(x, y), empty.at(x, y));
      // The interior brightens along the diagonal, channel by channel.
      if (x < 11) {
        for (int c = 0; c < 3; ++c) EXPECT_LE(empty.at(x, y)[c], empty.at(x + 1, y)[c]);
      }
    }
  }
  EXPECT_EQ(empty.at(1, 1), from);
  EXPECT_EQ(empty.at(11, 11), to);
  EXPECT_GE(tickPixels, 15);
  EXPECT_LE(tickPixels, 40);
}

TEST(SkinImages, ArrowsAreRowsOfSevenFiveThreeAndOneBlackPixels) {
  struct Case {
    SkinImage image;
    bool vertical;     // rows run across x
    bool fromTheBase;  // the 7-pixel row comes first (top or left)
  };
  const Case cases[] = {{SkinImage::kArrowDown, true, true},
                        {SkinImage::kArrowUp, true, false},
                        {SkinImage::kArrowRight, false, true},
                        {SkinImage::kArrowLeft, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(FindSkinImage(c.image)->file);
    Decoded d = Decode(c.image);
    ASSERT_EQ(d.width, c.vertical ? 7 : 4);
    ASSERT_EQ(d.height, c.vertical ? 4 : 7);
    for (int row = 0; row < 4; ++row) {
      int k = c.fromTheBase ? row : 3 - row;  // pixels in this row: 7 - 2k, from k to 6 - k
      for (int i = 0; i < 7; ++i) {
        Rgba px = c.vertical ? d.at(i, row) : d.at(row, i);
        bool opaque = i >= k && i <= 6 - k;
        EXPECT_EQ(px[3], opaque ? 255 : 0) << "row " << row << " pixel " << i;
        if (opaque) EXPECT_EQ(px, (Rgba{0, 0, 0, 255}));
      }
    }
  }
}

TEST(SkinImages, CaptionGlyphsAreWhiteSoftStrokesOnFullTransparency) {
  const SkinImage glyphs[] = {SkinImage::kHelpGlyph,     SkinImage::kMenuGlyph,
                              SkinImage::kMinimiseGlyph, SkinImage::kMaximiseGlyph,
                              SkinImage::kRestoreGlyph,  SkinImage::kCloseGlyph};
  std::vector<std::vector<uint8_t>> seen;
  for (SkinImage glyph : glyphs) {
    SCOPED_TRACE(FindSkinImage(glyph)->file);
    Decoded d = Decode(glyph);
    ASSERT_EQ(d.height, 18);
    int opaque = 0, soft = 0;
    for (int y = 0; y < d.height; ++y) {
      for (int x = 0; x < d.width; ++x) {
        Rgba px = d.at(x, y);
        if (px[3] > 0) EXPECT_EQ(px, (Rgba{255, 255, 255, px[3]})) << x << ", " << y;
        // A clear margin all round, so the highlight behind shows at the box's edges.
        if (x == 0 || y == 0 || x == d.width - 1 || y == d.height - 1) EXPECT_EQ(px[3], 0) << x << ", " << y;
        opaque += px[3] == 255;
        soft += px[3] > 0 && px[3] < 255;
      }
    }
    EXPECT_GE(opaque, 10);
    // Slanted and rounded strokes are anti-aliased; straight ones sit on whole pixels.
    bool slanted = glyph == SkinImage::kHelpGlyph || glyph == SkinImage::kMenuGlyph ||
                   glyph == SkinImage::kCloseGlyph;
    EXPECT_EQ(soft > 0, slanted);
    seen.push_back(d.rgba);
  }
  for (size_t i = 0; i < seen.size(); ++i)
    for (size_t j = i + 1; j < seen.size(); ++j) EXPECT_NE(seen[i], seen[j]) << i << " and " << j;
}

// The captions sit on translucent light buttons over the picture: its middle band must
// stay light, and the whole of it in pink and violet rather than green or grey.
TEST(SkinImages, BackgroundIsLightInTheMiddleAndPinkAndViolet) {
  Decoded d = Decode(SkinImage::kBackground);
  ASSERT_EQ(d.width, 1920);
  double red = 0, green = 0, blue = 0, darkestRow = 1;
  for (int y = 0; y < d.height; ++y) {
    double rowLuma = 0;
    for (int x = 0; x < d.width; ++x) {
      Rgba px = d.at(x, y);
      red += px[0], green += px[1], blue += px[2];
      rowLuma += (0.2126 * px[0] + 0.7152 * px[1] + 0.0722 * px[2]) / 255.0;
    }
    rowLuma /= d.width;
    if (y >= d.height * 3 / 10 && y < d.height * 7 / 10) darkestRow = std::min(darkestRow, rowLuma);
  }
  EXPECT_GT(darkestRow, 0.5);
  EXPECT_GT(red, green * 1.15);
  EXPECT_GT(blue, green * 1.15);
}

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(SkinImages, GeneratorWritesTheSameBytesOnEveryRun) {
  auto dir = std::filesystem::temp_directory_path() / ("skin_images_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::string command = std::string(SKIN_IMAGE_GENERATOR) + " " + dir.string();
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  for (const SkinImageInfo& info : kSkinImages)
    EXPECT_EQ(ReadFile(dir / info.file), GeneratedFile(info.file)) << info.file;
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace board
