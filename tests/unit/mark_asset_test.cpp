// The dialog's marks ship as assets/mark_off.bmp and assets/mark_on.bmp, loaded
// from the program's resources as 12 x 12 device-independent bitmaps. These
// checks read the committed bytes: a plain 24-bit bottom-up BMP, and the same
// box in both, empty (white) in one and filled blue in the other.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<std::uint8_t> ReadMark(const char* name) {
  std::ifstream in(std::string(ORBISETTE_SOURCE_DIR "/assets/") + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + static_cast<std::size_t>(i)];
  return v;
}

// Red, green, blue of pixel (x, y), y counted from the top.
std::array<int, 3> Pixel(const std::vector<std::uint8_t>& b, int x, int y) {
  const std::size_t at = 54 + static_cast<std::size_t>((11 - y) * 36 + x * 3);
  return {b[at + 2], b[at + 1], b[at]};
}

TEST(MarkAssets, TwelvePixelBoxesEmptyAndFilledBlue) {
  const auto off = ReadMark("mark_off.bmp");
  const auto on = ReadMark("mark_on.bmp");
  for (const auto* bmp : {&off, &on}) {
    ASSERT_EQ(bmp->size(), 486u);
    EXPECT_EQ((std::array{(*bmp)[0], (*bmp)[1]}), (std::array<std::uint8_t, 2>{'B', 'M'}));
    // file size, pixel offset, header size, width, height, planes, bits, compression
    EXPECT_EQ((std::array{Le(*bmp, 2, 4), Le(*bmp, 10, 4), Le(*bmp, 14, 4), Le(*bmp, 18, 4), Le(*bmp, 22, 4),
                          Le(*bmp, 26, 2), Le(*bmp, 28, 2), Le(*bmp, 30, 4)}),
              (std::array<std::uint32_t, 8>{486, 54, 40, 12, 12, 1, 24, 0}));
  }
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) {
      const bool edge = x == 0 || y == 0 || x == 11 || y == 11;
      if (edge) {
        EXPECT_EQ(Pixel(off, x, y), Pixel(on, x, y)) << x << "," << y;
        EXPECT_LT(Pixel(off, x, y)[0], 128) << "a dark border";
      } else {
        EXPECT_EQ(Pixel(off, x, y), (std::array{255, 255, 255})) << x << "," << y;
        EXPECT_EQ(Pixel(on, x, y), (std::array{0, 0, 255})) << x << "," << y;
      }
    }
  }
}

}  // namespace
