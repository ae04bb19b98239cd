#include "layered/picture_size.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string_view>

namespace orbisette {
namespace {

// Walks over many blocks stop here; a ball picture never comes near.
constexpr int MostSteps = 4096;
constexpr int MostIcons = 64;

using Bytes = std::span<const std::uint8_t>;
std::uint32_t Le16(Bytes b, std::size_t at) { return b[at] | std::uint32_t{b[at + 1]} << 8; }
std::uint32_t Be16(Bytes b, std::size_t at) { return std::uint32_t{b[at]} << 8 | b[at + 1]; }
std::uint32_t Le32(Bytes b, std::size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }
// Rows stored top-down have a negative height.
std::uint32_t Magnitude(std::uint32_t v) {
  return static_cast<std::uint32_t>(std::abs(static_cast<std::int64_t>(static_cast<std::int32_t>(v))));
}
bool Starts(Bytes b, std::string_view with) {
  return b.size() >= with.size() && std::equal(with.begin(), with.end(), b.begin(), [](char c, std::uint8_t x) {
           return static_cast<std::uint8_t>(c) == x;
         });
}

PictureSize Larger(std::optional<PictureSize> a, PictureSize b) {
  return a ? PictureSize{std::max(a->Width, b.Width), std::max(a->Height, b.Height)} : b;
}

// A BITMAPCOREHEADER or a larger info header at the start of b.
std::optional<PictureSize> DibSize(Bytes b) {
  if (b.size() < 12) return std::nullopt;
  if (Le32(b, 0) == 12) return PictureSize{Le16(b, 4), Le16(b, 6)};
  if (Le32(b, 0) < 40) return std::nullopt;
  return PictureSize{Magnitude(Le32(b, 4)), Magnitude(Le32(b, 8))};
}

std::optional<PictureSize> JpegSize(const ReadBytesAt& read) {
  std::uint64_t at = 2;
  for (int step = 0; step < MostSteps; ++step) {
    std::array<std::uint8_t, 9> s{};
    if (read(at, s) < 4 || s[0] != 0xFF) return std::nullopt;
    const std::uint8_t marker = s[1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;   // the end, or pixels, before any frame header
    if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {  // markers without a length
      at += 2;
      continue;
    }
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) return PictureSize{Be16(s, 7), Be16(s, 5)};
    at += 2 + Be16(s, 2);
  }
  return std::nullopt;
}

// The logical screen and every image in the file, for the decoder keeps each.
std::optional<PictureSize> GifSize(const ReadBytesAt& read) {
  std::array<std::uint8_t, 13> screen{};
  if (read(0, screen) != screen.size()) return std::nullopt;
  PictureSize size{Le16(screen, 6), Le16(screen, 8)};
  std::uint64_t at = 13 + ((screen[10] & 0x80) ? 3u << ((screen[10] & 7) + 1) : 0);
  const auto skipSubBlocks = [&](std::uint64_t from) -> std::optional<std::uint64_t> {
    for (int step = 0; step < MostSteps; ++step) {
      std::array<std::uint8_t, 1> length{};
      if (read(from, length) != 1) return std::nullopt;
      if (length[0] == 0) return from + 1;
      from += 1 + length[0];
    }
    return std::nullopt;
  };
  for (int step = 0; step < MostSteps; ++step) {
    std::array<std::uint8_t, 10> block{};
    if (read(at, block) == 0) return size;
    if (block[0] == 0x3B) return size;  // trailer
    std::optional<std::uint64_t> next;
    if (block[0] == 0x21) {
      next = skipSubBlocks(at + 2);
    } else if (block[0] == 0x2C) {
      size = Larger(size, {Le16(block, 5), Le16(block, 7)});
      next = skipSubBlocks(at + 11 + ((block[9] & 0x80) ? 3u << ((block[9] & 7) + 1) : 0));
    }
    if (!next) return size;  // cut short: what was seen is what the decoder can take
    at = *next;
  }
  return size;
}

// Every image in the directory, each by its own header (an embedded PNG or DIB).
std::optional<PictureSize> IconSize(const ReadBytesAt& read) {
  std::array<std::uint8_t, 6> directory{};
  if (read(0, directory) != directory.size() || Le16(directory, 4) == 0) return std::nullopt;
  std::optional<PictureSize> size;
  for (std::uint32_t i = 0; i < std::min<std::uint32_t>(Le16(directory, 4), MostIcons); ++i) {
    std::array<std::uint8_t, 16> entry{};
    if (read(6 + 16 * i, entry) != entry.size()) return std::nullopt;
    std::array<std::uint8_t, PngHeadLength> head{};
    const std::size_t got = read(Le32(entry, 12), head);
    std::optional<PictureSize> image = PngSizeOf(Bytes(head.data(), got));
    if (!image) image = DibSize(Bytes(head.data(), got));
    if (!image) return std::nullopt;
    // A DIB in an icon holds its mask below the picture: twice the height.
    if (!Starts(Bytes(head.data(), got), "\x89PNG")) image->Height /= 2;
    size = Larger(size, *image);
  }
  return size;
}

}  // namespace

DeclaredSize DeclaredSizeOf(const ReadBytesAt& read) {
  std::array<std::uint8_t, 32> head{};
  const Bytes b(head.data(), read(0, head));
  if (Starts(b, "\x89PNG")) return {true, PngSizeOf(b)};
  if (Starts(b, "\xFF\xD8")) return {true, JpegSize(read)};
  if (Starts(b, "BM")) return {true, b.size() >= 14 ? DibSize(b.subspan(14)) : std::nullopt};
  if (Starts(b, "GIF87a") || Starts(b, "GIF89a")) return {true, GifSize(read)};
  if (Starts(b, std::string_view("\0\0\1\0", 4)) || Starts(b, std::string_view("\0\0\2\0", 4))) {
    return {true, IconSize(read)};
  }
  return {};
}

}  // namespace orbisette
