// The glass ball picture ships as assets/Orbisette.dll, a PNG under another
// name that GDI+ loads at start-up. libpng reads the committed file here, every
// chunk's CRC checked: the saver's windows are 147 x 147 and premultiply 8-bit
// RGBA, so any other size or pixel format would be drawn wrong or not at all,
// and a file mangled on the way (line-ending conversion, truncation) would
// fail to load. What the picture looks like is judged on screen elsewhere.
#include <gtest/gtest.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char* const AssetPath = ORBISETTE_SOURCE_DIR "/assets/Orbisette.dll";

struct PngFacts {
  bool Read = false;  // libpng read it to its end without an error
  std::string Problem;
  png_uint_32 Width = 0, Height = 0;
  int BitDepth = 0, ColourType = 0, Interlace = 0, Compression = 0, Filter = 0;
  bool ColourCorrection = false;  // gAMA, sRGB or iCCP, which GDI+ applies on load
  bool Time = false;              // tIME, which would change the file on every regeneration
};

void Fail(png_structp png, png_const_charp message) {
  static_cast<PngFacts*>(png_get_error_ptr(png))->Problem = message;
  png_longjmp(png, 1);
}
void Warn(png_structp png, png_const_charp message) {
  static_cast<PngFacts*>(png_get_error_ptr(png))->Problem = message;
}

// Kept apart from the caller's objects: libpng leaves by longjmp on an error.
void ReadPng(std::FILE* file, PngFacts& facts) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &facts, Fail, Warn);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return;
  }
  if (setjmp(png_jmpbuf(png)) == 0) {
    png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);  // ancillary chunks too
    png_init_io(png, file);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_get_IHDR(png, info, &facts.Width, &facts.Height, &facts.BitDepth, &facts.ColourType, &facts.Interlace,
                 &facts.Compression, &facts.Filter);
    facts.ColourCorrection = png_get_valid(png, info, PNG_INFO_gAMA | PNG_INFO_sRGB | PNG_INFO_iCCP) != 0;
    facts.Time = png_get_valid(png, info, PNG_INFO_tIME) != 0;
    facts.Read = facts.Problem.empty();
  }
  png_destroy_read_struct(&png, &info, nullptr);
}

TEST(BallAsset, AWholePngOfA147SquareStraightRgbaImage) {
  std::FILE* file = std::fopen(AssetPath, "rb");
  ASSERT_NE(file, nullptr) << "assets/Orbisette.dll is missing";
  PngFacts facts;
  ReadPng(file, facts);
  std::fclose(file);
  ASSERT_TRUE(facts.Read) << "libpng: " << facts.Problem;
  EXPECT_EQ(facts.Width, 147u);
  EXPECT_EQ(facts.Height, 147u);
  EXPECT_EQ(facts.BitDepth, 8);
  EXPECT_EQ(facts.ColourType, PNG_COLOR_TYPE_RGBA);
  EXPECT_EQ(facts.Interlace, PNG_INTERLACE_NONE);
  EXPECT_FALSE(facts.ColourCorrection) << "GDI+ would shift the glass colours";
  EXPECT_FALSE(facts.Time) << "the file would change on every regeneration";
}

TEST(BallAsset, NothingFollowsTheEndChunk) {
  std::ifstream in(AssetPath, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  // IEND: no data, its type, and the CRC of that type.
  const std::string iend("\0\0\0\0IEND\xAE\x42\x60\x82", 12);
  ASSERT_GE(bytes.size(), iend.size());
  EXPECT_EQ(bytes.substr(bytes.size() - iend.size()), iend);
}

}  // namespace
