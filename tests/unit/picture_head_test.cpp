// The ball picture's first bytes: the PNG header's width and height, read most
// significant byte first, and the verdict before decoding for sizes at and past
// the limit (the same limit judges a decoded picture of another format), cut-off
// files and other signatures.
#include "layered/picture_head.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orbisette {
namespace {

// The first bytes of a PNG file: signature, header chunk length and type, then
// the width and height given as bytes.
std::string Head(std::string width, std::string height) {
  return std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) + width + height + std::string("\x08\x06\0\0\0", 5);
}

TEST(PictureHead, SizeAndVerdictBeforeDecoding) {
  using enum PictureCheck;
  struct Case {
    const char* What;
    std::string Bytes;
    std::optional<std::pair<std::uint32_t, std::uint32_t>> Size;
    PictureCheck Check;
  };
  const std::string ball = Head(std::string("\0\0\0\x93", 4), std::string("\0\0\0\x93", 4));
  const std::vector<Case> cases = {
      {"the ball, 147 x 147", ball, {{147, 147}}, Decode},
      {"width before height", Head(std::string("\0\0\x01\x90", 4), std::string("\0\0\0\x64", 4)), {{400, 100}}, Decode},
      {"4096 x 4096", Head(std::string("\0\0\x10\0", 4), std::string("\0\0\x10\0", 4)), {{4096, 4096}}, Decode},
      {"4097 wide", Head(std::string("\0\0\x10\x01", 4), std::string("\0\0\x10\0", 4)), {{4097, 4096}}, Refuse},
      {"4097 high", Head(std::string("\0\0\x10\0", 4), std::string("\0\0\x10\x01", 4)), {{4096, 4097}}, Refuse},
      {"16000 x 16000", Head(std::string("\0\0\x3e\x80", 4), std::string("\0\0\x3e\x80", 4)), {{16000, 16000}}, Refuse},
      {"high byte set",
       Head(std::string("\x01\0\0\x93", 4), std::string("\0\0\0\x93", 4)),
       {{0x01000093, 147}},
       Refuse},
      {"no width", Head(std::string("\0\0\0\0", 4), std::string("\0\0\0\x93", 4)), {{0, 147}}, Refuse},
      {"no height", Head(std::string("\0\0\0\x93", 4), std::string("\0\0\0\0", 4)), {{147, 0}}, Refuse},
      {"cut inside the height", ball.substr(0, 23), std::nullopt, Refuse},
      {"only the signature", ball.substr(0, 8), std::nullopt, Refuse},
      {"cut inside the signature", ball.substr(0, 7), std::nullopt, Decode},
      {"line ends turned to LF", "\x89PNG\n\x1a\n" + ball.substr(8), std::nullopt, Decode},
      {"first chunk not the header", ball.substr(0, 12) + "IDAT" + ball.substr(16), std::nullopt, Refuse},
      {"header of another length", ball.substr(0, 11) + "\x0e" + ball.substr(12), std::nullopt, Refuse},
      {"a BMP", "BM" + std::string(40, '\0'), std::nullopt, Decode},
      {"an empty file", "", std::nullopt, Decode},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const std::span<const std::uint8_t> head(reinterpret_cast<const std::uint8_t*>(c.Bytes.data()), c.Bytes.size());
    const std::optional<PictureSize> size = PngSizeOf(head);
    ASSERT_EQ(size.has_value(), c.Size.has_value());
    if (size) {
      EXPECT_EQ(size->Width, c.Size->first);
      EXPECT_EQ(size->Height, c.Size->second);
    }
    EXPECT_EQ(CheckPictureHead(head), c.Check);
  }
}

}  // namespace
}  // namespace orbisette
