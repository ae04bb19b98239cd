// The size a ball picture's headers declare, for each format the program reads
// itself: every image of a GIF or an icon counts, an icon's DIB holds its mask
// below the picture, and a JPEG's size is in its frame header, not its tables.
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

using Declared = std::optional<std::pair<std::uint32_t, std::uint32_t>>;

TEST(PictureSize, EachFormatsDeclaredSize) {
  struct Case {
    const char* What;
    std::string Bytes;
    bool Known;
    Declared Size;
  };
  const std::string jpegTables = "\xFF\xD8\xFF\xE0" + Be16(4) + "JF" + "\xFF\xC4" + Be16(3) + "\x10";
  const std::string gifComment = "!\xFE\x03" + std::string("abc") + std::string(1, '\0');
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
      {"TIFF, left to the codecs", "II*" + std::string(29, '\0'), false, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const DeclaredSize declared = DeclaredSizeOf([&](std::uint64_t at, std::span<std::uint8_t> into) {
      return c.Bytes.copy(reinterpret_cast<char*>(into.data()), into.size(), std::min<std::size_t>(at, c.Bytes.size()));
    });
    EXPECT_EQ(declared.KnownFormat, c.Known);
    const Declared size = declared.Size ? Declared({declared.Size->Width, declared.Size->Height}) : std::nullopt;
    EXPECT_EQ(size, c.Size);
  }
}

}  // namespace
}  // namespace orbisette
