#include <gtest/gtest.h>

#include <vector>

#include "app/main_form_layout.h"
#include "runtime/icon_file.h"
#include "generated_files.h"
#include "base/byte_io.h"

namespace board {
namespace {

int32_t WidthOf(std::span<const uint8_t> image) {
  return image.size() >= 8 ? int32_t(LoadU32(image.data() + 4)) : -1;
}

TEST(IconFile, PicksTheExactSizeElseTheNextLarger) {
  const std::vector<uint8_t>& ico = GeneratedFile("app.ico");
  ASSERT_EQ(ico.size(), board::kAppIconFileSize);
  struct Case { int ask, width; };
  for (Case c : {Case{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {20, 32}, {24, 32},
                 {100, 128}, {300, 128}, {8, 16}})
    EXPECT_EQ(WidthOf(FindIconImage(ico, c.ask)), c.width) << c.ask;
}

TEST(IconFile, MalformedFilesGiveNothing) {
  std::vector<uint8_t> ico = GeneratedFile("app.ico");
  ASSERT_GT(ico.size(), 100u);
  for (size_t cut : {size_t(0), size_t(5), size_t(21), size_t(86), ico.size() - 1}) {
    std::vector<uint8_t> head(ico.begin(), ico.begin() + long(cut));
    EXPECT_TRUE(FindIconImage(head, 32).empty()) << cut;
  }
  std::vector<uint8_t> bad = ico;
  bad[2] = 2;  // a cursor file, not an icon
  EXPECT_TRUE(FindIconImage(bad, 32).empty());
}

}  // namespace
}  // namespace board
