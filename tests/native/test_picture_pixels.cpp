#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "base/value_types.h"
#include "generated_files.h"
#include "skin/picture_pixels.h"
#include "skin/skin_images.h"

namespace board {
namespace {

Picture Stored(SkinImage image) {
  return DecodeStoredPicture(ByteSetBytes(GeneratedFile(FindSkinImage(image)->file)));
}

Picture Flat(int width, int height, uint32_t argb) {
  return {width, height, std::vector<uint32_t>(size_t(width) * size_t(height), argb)};
}

// The mean of one channel (shift 16 red, 8 green, 0 blue, 24 alpha).
double Mean(const Picture& p, int shift) {
  double sum = 0;
  for (uint32_t c : p.argb) sum += (c >> shift) & 0xFF;
  return p.argb.empty() ? 0 : sum / double(p.argb.size());
}

TEST(PicturePixels, EveryStoredPictureDecodesAtItsSizeAndTheGlyphsKeepTheirTransparency) {
  for (const SkinImageInfo& info : kSkinImages) {
    SCOPED_TRACE(info.file);
    const Picture p = Stored(info.image);
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p.width, info.width);
    EXPECT_EQ(p.height, info.height);
    ASSERT_EQ(p.argb.size(), size_t(p.width) * size_t(p.height));
  }
  // The background is opaque; the close glyph is white strokes on a clear field.
  EXPECT_EQ(Mean(Stored(SkinImage::kBackground), 24), 255.0);
  const Picture close = Stored(SkinImage::kCloseGlyph);
  EXPECT_EQ(close.argb[0] >> 24, 0u) << "the corner of the glyph is transparent";
  uint32_t strongest = 0;
  for (uint32_t c : close.argb)
    if ((c >> 24) > (strongest >> 24)) strongest = c;
  EXPECT_EQ(strongest & 0xFFFFFF, 0xFFFFFFu) << "the strokes are white";
}

TEST(PicturePixels, WhatIsNoStoredPictureGivesAnEmptyOne) {
  const std::vector<uint8_t>& stored = GeneratedFile(FindSkinImage(SkinImage::kBackground)->file);
  const std::span<const uint8_t> jpeg = ByteSetBytes(stored);
  EXPECT_TRUE(DecodeStoredPicture({}).empty());
  EXPECT_TRUE(DecodeStoredPicture(jpeg.first(200)).empty()) << "a JPEG cut off in its headers";
  // Cut off in its scan: the decoder writes into the picture's own memory and gives up or
  // finishes there, and the picture is whole or empty (the sanitizer watches the memory).
  for (size_t cut : {jpeg.size() / 3, jpeg.size() - 2}) {
    const Picture partial = DecodeStoredPicture(jpeg.first(cut));
    if (!partial.empty()) EXPECT_EQ(partial.argb.size(), size_t(partial.width) * size_t(partial.height));
  }
  EXPECT_TRUE(DecodeStoredPicture(stored).empty()) << "the ByteSet's header before the file";
  const std::vector<uint8_t> text = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
  EXPECT_TRUE(DecodeStoredPicture(text).empty());
  // A PNG whose header claims 100000 × 100000 pixels is refused before any allocation.
  std::vector<uint8_t> png(ByteSetBytes(GeneratedFile(FindSkinImage(SkinImage::kArrowDown)->file)).begin(),
                           ByteSetBytes(GeneratedFile(FindSkinImage(SkinImage::kArrowDown)->file)).end());
  ASSERT_GT(png.size(), 24u);
  for (int i : {16, 20}) {
    png[size_t(i)] = 0x00;
    png[size_t(i) + 1] = 0x01;
    png[size_t(i) + 2] = 0x86;
    png[size_t(i) + 3] = 0xA0;
  }
  EXPECT_TRUE(DecodeStoredPicture(png).empty());
}

TEST(PicturePixels, HalvingAveragesBlocksAndKeepsAnOddEdge) {
  Picture p{3, 3, {0xFF000000, 0xFF000004, 0xFF000010,  //
                   0xFF000008, 0xFF00000C, 0xFF000020,  //
                   0x00FF0000, 0x00FF0000, 0xFFFFFFFF}};
  const Picture h = HalvePicture(p);
  ASSERT_EQ(h.width, 2);
  ASSERT_EQ(h.height, 2);
  EXPECT_EQ(h.argb[0], 0xFF000006u);  // (0 + 4 + 8 + 12) / 4
  EXPECT_EQ(h.argb[1], 0xFF000018u);  // the last column averaged with itself: (16 + 32) / 2
  EXPECT_EQ(h.argb[2], 0x00FF0000u);  // the last row with itself
  EXPECT_EQ(h.argb[3], 0xFFFFFFFFu);
  const Picture one = HalvePicture(Flat(1, 5, 0xFF123456));
  EXPECT_EQ(one.width, 1);
  EXPECT_EQ(one.height, 3);
  EXPECT_TRUE(HalvePicture({}).empty());
}

TEST(PicturePixels, ScalingKeepsThePictureAtAnySizeAndRefusesImpossibleOnes) {
  const Picture background = Stored(SkinImage::kBackground);
  std::vector<Picture> halvings{HalvePicture(background)};
  halvings.push_back(HalvePicture(halvings.back()));
  for (ScaleQuality q : {ScaleQuality::kFast, ScaleQuality::kHigh}) {
    for (auto [w, h] : {std::pair{786, 315}, {2200, 1300}, {40, 3}}) {
      SCOPED_TRACE(testing::Message() << w << " x " << h << (q == ScaleQuality::kFast ? " fast" : " high"));
      const Picture s = ScalePicture(background, halvings, w, h, q);
      ASSERT_EQ(s.width, w);
      ASSERT_EQ(s.height, h);
      for (int shift : {0, 8, 16}) EXPECT_NEAR(Mean(s, shift), Mean(background, shift), 3.0);
      EXPECT_EQ(Mean(s, 24), 255.0) << "an opaque picture stays opaque";
    }
  }
  // A flat colour stays exactly flat, its alpha with it.
  const Picture flat = ScalePicture(Flat(9, 7, 0x80336699), {}, 23, 4, ScaleQuality::kHigh);
  for (uint32_t c : flat.argb) EXPECT_EQ(c, 0x80336699u);
  // The fast scale starts from the smallest halving still as large as the target.
  EXPECT_EQ(ScalePicture(background, halvings, 480, 300, ScaleQuality::kFast).argb,
            ScalePicture(halvings[1], {}, 480, 300, ScaleQuality::kFast).argb);
  for (auto [w, h] : {std::pair{0, 10}, {10, -1}, {kMaxPictureSide + 1, 10}})
    EXPECT_TRUE(ScalePicture(background, halvings, w, h, ScaleQuality::kFast).empty());
  EXPECT_TRUE(ScalePicture({}, {}, 10, 10, ScaleQuality::kHigh).empty());
}

}  // namespace
}  // namespace board
