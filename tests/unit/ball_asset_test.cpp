// The glass ball picture ships as assets/Orbisette.dll, a PNG under another
// name that GDI+ loads at start-up. These checks read the committed file's
// bytes directly: the saver's windows are 147 x 147 and premultiply 8-bit
// RGBA, so any other size or pixel format would be drawn wrong or not at all,
// and a file mangled on the way (line-ending conversion, truncation) would
// fail to load. What the picture looks like is judged on screen elsewhere.

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> read_asset() {
  std::ifstream in(ORBISETTE_SOURCE_DIR "/assets/Orbisette.dll", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t be32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) | (std::uint32_t{bytes[at + 2]} << 8) |
         std::uint32_t{bytes[at + 3]};
}

// The CRC-32 that PNG puts after every chunk (ISO 3309, reflected 0xEDB88320).
std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1u) != 0 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
  }
  return crc ^ 0xFFFFFFFFu;
}

constexpr std::size_t kSignatureSize = 8;
constexpr std::size_t kIhdrData = kSignatureSize + 8;  // after length and type

TEST(BallAsset, Crc32MatchesTheKnownCheckValue) {
  // The standard check value for "123456789"; without it a wrong CRC routine
  // would make the chunk checks below meaningless.
  const std::string text = "123456789";
  EXPECT_EQ(crc32(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), 0xCBF43926u);
}

TEST(BallAsset, StartsWithThePngSignatureAndAnIhdrChunk) {
  const std::vector<std::uint8_t> bytes = read_asset();
  ASSERT_GE(bytes.size(), kIhdrData + 13 + 4) << "assets/Orbisette.dll is missing or truncated";
  // The signature's CR LF, SUB and LF bytes are there to catch text-mode
  // transfers; they must have survived checkout exactly.
  const std::array<std::uint8_t, kSignatureSize> signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (std::size_t i = 0; i < signature.size(); ++i) {
    EXPECT_EQ(bytes[i], signature[i]) << "signature byte " << i;
  }
  EXPECT_EQ(be32(bytes, 8), 13u) << "IHDR length";
  EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), "IHDR");
  EXPECT_EQ(be32(bytes, kIhdrData + 13), crc32(&bytes[12], 4 + 13)) << "IHDR CRC";
}

TEST(BallAsset, HeaderDescribesA147SquareStraightRgbaImage) {
  const std::vector<std::uint8_t> bytes = read_asset();
  ASSERT_GE(bytes.size(), kIhdrData + 13);
  struct Field {
    const char* name;
    std::size_t offset;  // within the IHDR data
    int width;           // bytes, big-endian
    std::uint32_t expected;
  };
  const Field fields[] = {
      {"width", 0, 4, 147},
      {"height", 4, 4, 147},
      {"bit depth", 8, 1, 8},
      {"colour type (RGBA)", 9, 1, 6},
      {"compression method", 10, 1, 0},
      {"filter method", 11, 1, 0},
      {"interlace method (none)", 12, 1, 0},
  };
  for (const Field& field : fields) {
    const std::size_t at = kIhdrData + field.offset;
    const std::uint32_t value = field.width == 4 ? be32(bytes, at) : std::uint32_t{bytes[at]};
    EXPECT_EQ(value, field.expected) << field.name;
  }
}

TEST(BallAsset, ChunksRunIntactToIendWithNoColourCorrection) {
  const std::vector<std::uint8_t> bytes = read_asset();
  ASSERT_GE(bytes.size(), kSignatureSize);
  // GDI+ applies gAMA, sRGB and iCCP when it loads a PNG, which would shift
  // the glass colours away from what was drawn; tIME would make the file
  // change on every regeneration.
  const std::array<std::string, 4> unwanted{"gAMA", "sRGB", "iCCP", "tIME"};
  std::size_t at = kSignatureSize;
  int idat_chunks = 0;
  bool reached_iend = false;
  while (!reached_iend) {
    ASSERT_LE(at + 12, bytes.size()) << "chunk header at byte " << at << " runs past the end";
    const std::uint32_t length = be32(bytes, at);
    ASSERT_LE(at + 12 + length, bytes.size()) << "chunk at byte " << at << " runs past the end";
    const std::string type(bytes.begin() + static_cast<std::ptrdiff_t>(at + 4),
                           bytes.begin() + static_cast<std::ptrdiff_t>(at + 8));
    EXPECT_EQ(be32(bytes, at + 8 + length), crc32(&bytes[at + 4], 4 + length)) << type << " CRC";
    for (const std::string& bad : unwanted) {
      EXPECT_NE(type, bad);
    }
    idat_chunks += type == "IDAT" ? 1 : 0;
    reached_iend = type == "IEND";
    at += 12 + length;
  }
  EXPECT_GT(idat_chunks, 0);
  EXPECT_EQ(at, bytes.size()) << "bytes after IEND";
}

}  // namespace
