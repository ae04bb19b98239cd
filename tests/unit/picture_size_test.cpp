// The size a ball picture's headers declare, for each format the program reads
// itself: every image of a GIF or an icon counts, an icon's DIB holds its mask
// below the picture, and a JPEG's size is in its frame header, not its tables;
// and a PNG's header, read most significant byte first, with the verdict before
// decoding for sizes at and past the limit (the same limit judges a decoded
// picture of another format), cut-off files and other signatures.
#include "layered/picture_size.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "file_bytes.h"

namespace orbisette {
namespace {

std::string Bmp(const std::string& header) { return "BM" + std::string(12, '\0') + header; }
std::string Dib(std::int32_t width, std::int32_t height) {
  return Le(40, 4) + Le(width, 4) + Le(height, 4) + Le(1, 2) + Le(32, 2) + std::string(24, '\0');
}
std::string Png(std::uint32_t width, std::uint32_t height) {
  return std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) + Be16(width >> 16) + Be16(width) + Be16(height >> 16) +
         Be16(height);
}
// An icon directory (type 1) or a cursor's (type 2) whose entries point at the images after it.
std::string Icon(int type, const std::vector<std::string>& images) {
  std::string head = Le(0, 2) + Le(type, 2) + Le(static_cast<std::uint32_t>(images.size()), 2), body;
  for (const std::string& image : images) {
    head += std::string(8, '\0') + Le(static_cast<std::uint32_t>(image.size()), 4) +
            Le(static_cast<std::uint32_t>(6 + 16 * images.size() + body.size()), 4);
    body += image;
  }
  return head + body;
}
// A GIF: its logical screen with a two-colour table, then the blocks given.
std::string Gif(std::uint32_t width, std::uint32_t height, const std::string& blocks) {
  return "GIF89a" + Le(width, 2) + Le(height, 2) + std::string("\x80\0\0", 3) + std::string(6, '\x7f') + blocks + ";";
}
std::string GifImage(std::uint32_t width, std::uint32_t height) {
  return "," + Le(0, 4) + Le(width, 2) + Le(height, 2) + std::string("\0\x02\x02\x4c\x01\0", 6);
}

// A JPEG frame header.
std::string Sof(std::uint32_t width, std::uint32_t height, char marker = '\xC0') {
  return std::string{'\xFF', marker} + Be16(11) + "\x08" + Be16(height) + Be16(width) + "\x01\x01\x11" + '\0';
}
using Declared = std::optional<std::pair<std::uint32_t, std::uint32_t>>;
DeclaredSize DeclaredSizeOfBytes(const std::string& bytes) {
  return DeclaredSizeOf([&](std::uint64_t at, std::span<std::uint8_t> into) {
    return bytes.copy(reinterpret_cast<char*>(into.data()), into.size(), std::min<std::size_t>(at, bytes.size()));
  });
}

TEST(PictureSize, EachFormatsDeclaredSize) {
  struct Case {
    const char* What;
    std::string Bytes;
    bool Known;
    Declared Size;
    std::uint64_t Pixels = 0;  // what the decode holds, when the row says
  };
  const std::string jpegTables = "\xFF\xD8\xFF\xE0" + Be16(4) + "JF" + "\xFF\xC4" + Be16(3) + "\x10";
  const std::string gifComment = "!\xFE\x03" + std::string("abc") + std::string(1, '\0');
  const std::string hidden = jpegTables + "\xFF" + '\0' + Be16(15) + Sof(16000, 16000) + Sof(16, 16) + "\xFF\xDA";
  std::string sixty, padded = GifImage(4, 4).substr(0, 12);  // sixty 4096 x 4096 frames; one of 5000 sub-blocks
  for (int i = 0; i < 60; ++i) sixty += GifImage(4096, 4096);
  for (int i = 0; i < 5000; ++i) padded += "\1x";
  const std::string bigTile = Tiff(true, {{{322, 16384}, {323, 16384}, {256, 16}, {257, 16}}});
  std::string kinds = jpegTables, restarts = "\xFF\xD8" + Sof(16, 16);  // every marker from 0xC1; the most walked
  for (int m = 0xC1; m <= 0xCF; ++m) kinds += Sof(1u << (m - 0xC0), 1, static_cast<char>(m));
  for (int i = 0; i < 4094; ++i) restarts += "\xFF\xD0";
  const std::string blocks(2 * ((1 << 22) - 2), '\1'),
      local = GifImage(4, 4).replace(9, 1, "\x81" + std::string(12, 'z'));
  std::vector<std::string> icons(65, Png(16, 16));
  icons.back() = Png(300, 5000);
  const std::vector<Case> cases = {
      {"BMP, top-down", Bmp(Dib(7, -5000)), true, {{7, 5000}}},
      {"BMP, core header", Bmp(Le(12, 4) + Le(3, 2) + Le(4, 2) + Le(1, 2) + Le(24, 2)), true, {{3, 4}}},
      {"BMP, cut in its header", Bmp(Le(40, 4)), true, std::nullopt},
      {"JPEG frame", jpegTables + "\xFF\xFF\xC2" + Be16(11) + "\x08" + Be16(120) + Be16(640), true, {{640, 120}}},
      {"JPEG with pixels before a frame", jpegTables + "\xFF\xDA" + Be16(8), true, std::nullopt},
      {"GIF, an image past a comment", Gif(10, 20, gifComment + GifImage(5000, 3)), true, {{5000, 20}}},
      {"GIF, a later image taller", Gif(10, 20, GifImage(4, 4) + GifImage(2, 6000)), true, {{10, 6000}}},
      {"icon, a DIB over its mask", Icon(1, {Dib(32, 64)}), true, {{32, 32}}},
      {"cursor, a DIB and a PNG", Icon(2, {Dib(16, 32), Png(300, 5000)}), true, {{300, 5000}}},
      {"icon with no image", Icon(1, {}), true, std::nullopt},
      {"JPEG, a frame behind 0xFF 0x00", hidden, true, {{16000, 16000}}, 16000ull * 16000 + 256},
      {"GIF, sixty frames", Gif(4096, 4096, sixty), true, {{4096, 4096}}, 60ull << 24},
      {"GIF, a frame after 5000 sub-blocks", Gif(4, 4, padded + '\0' + GifImage(16000, 9)), true, {{16000, 9}}},
      {"TIFF, a huge tile", bigTile, true, {{16, 16}}, 1ull << 28},
      {"TIFF, two pages", Tiff(false, {{{256, 100}, {257, 50}}, {{256, 30}, {257, 200}}}), true, {{100, 200}}, 11000},
      {"TIFF, pages in a loop", Tiff(true, {{{256, 1}, {257, 1}}}, true), true, std::nullopt},
      {"PNG", Png(300, 5000), true, {{300, 5000}}},
      {"BMP, a header of no length", Bmp(std::string(40, '\0')), true, std::nullopt},
      {"JPEG, a frame of every kind", kinds + "\xFF\xDA" + Sof(65535, 65535), true, {{32768, 1}}, 78642},
      {"JPEG, RST, TEM, COM", "\xFF\xD8\xFF\xD0\xFF\xD7\xFF\x01\xFF\xFE" + Be16(2) + Sof(16, 16), true, {{16, 16}}},
      {"JPEG, a segment shorter than its length", jpegTables + "\xFF\xFE" + Be16(1) + Sof(16, 16), true, std::nullopt},
      {"JPEG, a second start", jpegTables + "\xFF\xD8" + Be16(2) + Sof(16, 16), true, std::nullopt},
      {"JPEG, a frame past its end", jpegTables + Sof(16, 16) + "\xFF\xD9" + Be16(2) + Sof(500, 500), true, {{16, 16}}},
      {"JPEG, cut in its frame header", jpegTables + Sof(16, 16).substr(0, 6), true, std::nullopt},
      {"JPEG, the most markers walked", restarts + "\xFF\xDA", true, {{16, 16}}},
      {"JPEG, one marker more", restarts + "\xFF\xD0\xFF\xDA", true, std::nullopt},
      {"GIF87a, a local colour table", Gif(10, 10, local + GifImage(5000, 3)).replace(3, 3, "87a"), true, {{5000, 10}}},
      {"GIF, no image", Gif(100, 100, ""), true, {{100, 100}}, 10000},
      {"GIF, cut in its screen", Gif(100, 100, "").substr(0, 11), true, std::nullopt},
      {"GIF, the most sub-blocks walked", Gif(4, 4, GifImage(16, 9).substr(0, 11) + blocks + '\0'), true, {{16, 9}}},
      {"GIF, one more", Gif(4, 4, GifImage(16, 9).substr(0, 11) + blocks + "\1\1" + '\0'), true, std::nullopt},
      {"icon, cut in its entry", std::string("\0\0\1\0\1\0", 6) + std::string(8, '\0'), true, std::nullopt},
      {"icon, an unreadable image first", Icon(1, {Le(16, 4), Dib(16, 32)}), true, std::nullopt},
      {"icon, the largest in the middle", Icon(1, {Dib(16, 32), Png(64, 64), Dib(32, 64)}), true, {{64, 64}}, 5376},
      {"icon, 64 images, the largest last", Icon(1, {icons.begin() + 1, icons.end()}), true, {{300, 5000}}},
      {"icon, 65 images", Icon(1, icons), true, std::nullopt},
      {"TIFF, a SHORT width", Tiff(true, {{{256, 0x10064}, {257, 50}}}).replace(12, 1, "\3"), true, {{100, 50}}},
      {"TIFF, a width of two, then again", Tiff(true, {{{256, 9}, {257, 9}, {256, 9}}}).replace(14, 1, "\2"), true,
       std::nullopt},
      {"TIFF, no width", Tiff(true, {{{257, 50}}}), true, std::nullopt},
      {"TIFF, a tile of no width", Tiff(true, {{{256, 16}, {257, 16}, {322, 0}, {323, 16}}}), true, std::nullopt},
      {"TIFF, 64 pages", Tiff(true, {64, {{256, 1}, {257, 1}}}), true, {{1, 1}}},
      {"TIFF, 65 pages", Tiff(true, {65, {{256, 1}, {257, 1}}}), true, std::nullopt},
      {"TIFF, 2^64", Tiff(true, {4, {{256, 1}, {257, 1}, {322, 1u << 31}, {323, 1u << 31}}}), true, {{1, 1}}, ~0ull},
      {"three bytes of an icon", std::string("\0\0\1", 3), false, std::nullopt},
      {"BigTIFF", std::string("II+\0", 4) + Le(16, 4), true, std::nullopt},
      {"WebP, left to the codecs", "RIFF" + Le(24, 4) + "WEBPVP8 " + std::string(20, '\0'), false, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const DeclaredSize declared = DeclaredSizeOfBytes(c.Bytes);
    EXPECT_EQ(declared.KnownFormat, c.Known);
    const Declared size = declared.Size ? Declared({declared.Size->Width, declared.Size->Height}) : std::nullopt;
    EXPECT_EQ(size, c.Size);
    EXPECT_EQ(c.Pixels != 0 ? declared.DecodePixels : 0, c.Pixels);
  }
}

// The first bytes of a PNG file: signature, header chunk length and type, then
// the width and height given as bytes.
std::string Head(std::string width, std::string height) {
  return std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) + width + height + std::string("\x08\x06\0\0\0", 5);
}

TEST(PictureSize, PngHeadAndVerdictBeforeDecoding) {
  enum Verdict { Decode, Refuse };
  struct Case {
    const char* What;
    std::string Bytes;
    std::optional<std::pair<std::uint32_t, std::uint32_t>> Size;
    Verdict Check;
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
    // Another format's bytes are that format's rows.
    if (c.Size || c.Check == Refuse) {
      EXPECT_EQ(MayDecode(DeclaredSizeOfBytes(c.Bytes)), c.Check == Decode);
    }
  }
}

TEST(PictureSize, DecodesWithinTheBoundOnly) {
  EXPECT_TRUE(MayDecode({true, PictureSize{4096, 4096}, LargestDecodePixels}));
  EXPECT_FALSE(MayDecode({true, PictureSize{4096, 4096}, LargestDecodePixels + 1}));
  EXPECT_FALSE(MayDecode({true, PictureSize{4097, 1}, 4097}));
}

}  // namespace
}  // namespace orbisette
