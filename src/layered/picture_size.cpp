#include "layered/picture_size.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <string_view>
#include <utility>

namespace orbisette {
namespace {

// Walks over many segments, frames or pages stop here, and the picture is
// refused rather than judged on what was seen: a ball picture never comes near.
constexpr int MostSteps = 4096;
constexpr int MostIcons = 64;
constexpr int MostPages = 64;
// A GIF's frames are stored in sub-blocks of at most 255 bytes; this many carry
// a gigabyte.
constexpr std::uint64_t MostSubBlocks = std::uint64_t{1} << 22;

using Bytes = std::span<const std::uint8_t>;
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

constexpr std::uint64_t Most = std::numeric_limits<std::uint64_t>::max();
std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) { return a > Most - b ? Most : a + b; }
std::uint64_t SaturatingMul(std::uint64_t a, std::uint64_t b) { return a != 0 && b > Most / a ? Most : a * b; }

// A size and what decoding it costs, as one format's reader finds them.
struct Sized {
  PictureSize Size;
  std::uint64_t Pixels = 0;
};
Sized OnePicture(PictureSize size) { return {size, FramesCost(1, size)}; }

// A file read forward a buffer at a time, for walks over many small pieces.
class ForwardReader {
 public:
  ForwardReader(const ReadBytesAt& read, std::uint64_t at) : Read(read), At(at) {}
  std::optional<std::uint8_t> Byte() {
    if (At < BufferAt || At - BufferAt >= Filled) {
      BufferAt = At;
      Filled = Read(At, Buffer);
      if (Filled == 0) return std::nullopt;
    }
    return Buffer[At++ - BufferAt];
  }
  // Fills into whole; false when the file ends first.
  bool Take(std::span<std::uint8_t> into) {
    for (std::uint8_t& b : into) {
      const std::optional<std::uint8_t> next = Byte();
      if (!next) return false;
      b = *next;
    }
    return true;
  }
  void Seek(std::uint64_t at) { At = at; }
  std::uint64_t Position() const { return At; }

 private:
  const ReadBytesAt& Read;
  std::array<std::uint8_t, 4096> Buffer{};
  std::uint64_t BufferAt = 0;
  std::size_t Filled = 0;
  std::uint64_t At;
};

// A BITMAPCOREHEADER or a larger info header at the start of b.
std::optional<PictureSize> DibSize(Bytes b) {
  if (b.size() < 12) return std::nullopt;
  if (Le32(b, 0) == 12) return PictureSize{Le16(b, 4), Le16(b, 6)};
  if (Le32(b, 0) < 40) return std::nullopt;
  return PictureSize{Magnitude(Le32(b, 4)), Magnitude(Le32(b, 8))};
}

std::optional<Sized> Sole(std::optional<PictureSize> size) {
  return size ? std::optional<Sized>(OnePicture(*size)) : std::nullopt;
}

// The next marker as the decoder looks for it: any bytes before an 0xFF are
// skipped, so are fill bytes (0xFF 0xFF), and 0xFF 0x00 is no marker at all.
std::optional<std::uint8_t> NextJpegMarker(ForwardReader& in) {
  for (;;) {
    std::optional<std::uint8_t> b = in.Byte();
    while (b && *b != 0xFF) b = in.Byte();
    while (b && *b == 0xFF) b = in.Byte();
    if (!b || *b != 0x00) return b;
  }
}

bool IsJpegFrame(std::uint8_t m) { return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC; }
// A progressive decode holds every coefficient as well as the picture.
bool IsProgressive(std::uint8_t m) { return m == 0xC2 || m == 0xC6 || m == 0xCA || m == 0xCE; }

// Every frame header before the first scan, as the decoder walks the markers.
// It takes the first and refuses a second, but what another decoder might take
// counts too: the largest size and every frame's cost.
std::optional<Sized> JpegSize(const ReadBytesAt& read) {
  ForwardReader in(read, 2);
  std::optional<Sized> found;
  for (int step = 0; step < MostSteps; ++step) {
    const std::optional<std::uint8_t> marker = NextJpegMarker(in);
    if (marker == 0xD8) return std::nullopt;                                // a second start: the decoder gives up
    if (!marker || *marker == 0xD9 || *marker == 0xDA) return found;        // the end, or the pixels
    if ((*marker >= 0xD0 && *marker <= 0xD7) || *marker == 0x01) continue;  // markers without a length
    const std::uint64_t start = in.Position();
    std::array<std::uint8_t, 7> s{};
    if (!in.Take(std::span(s).first(2)) || Be16(s, 0) < 2) return std::nullopt;
    if (IsJpegFrame(*marker)) {
      if (!in.Take(std::span(s).subspan(2))) return std::nullopt;
      const PictureSize size{Be16(s, 5), Be16(s, 3)};
      const std::uint64_t cost = FramesCost(IsProgressive(*marker) ? 2 : 1, size);
      found = Sized{Larger(found ? std::optional(found->Size) : std::nullopt, size),
                    SaturatingAdd(found ? found->Pixels : 0, cost)};
    }
    in.Seek(start + Be16(s, 0));
  }
  return std::nullopt;
}

// The bytes of a GIF colour table whose flags are in packed.
std::uint64_t ColourTable(std::uint8_t packed) { return (packed & 0x80) ? 3u << ((packed & 7) + 1) : 0; }

enum class Walk { Done, CutShort, TooLong };

// Past a run of sub-blocks (a length byte, then that many bytes) and its empty
// terminator.
Walk SkipSubBlocks(ForwardReader& in, std::uint64_t& steps) {
  for (;;) {
    const std::optional<std::uint8_t> length = in.Byte();
    if (!length) return Walk::CutShort;
    if (*length == 0) return Walk::Done;
    if (++steps > MostSubBlocks) return Walk::TooLong;
    in.Seek(in.Position() + *length);
  }
}

// One block after the logical screen: an extension or an image, whose size
// joins size. CutShort at the trailer, at the end of the file or at a block the
// decoder stops at: what was seen is what it can take.
Walk GifBlock(ForwardReader& in, PictureSize& size, std::uint64_t& frames, std::uint64_t& steps) {
  const std::optional<std::uint8_t> introducer = in.Byte();
  if (introducer == 0x21) {
    in.Seek(in.Position() + 1);  // the label
    return SkipSubBlocks(in, steps);
  }
  std::array<std::uint8_t, 9> image{};
  if (introducer != 0x2C || !in.Take(image)) return Walk::CutShort;
  size = Larger(size, {Le16(image, 4), Le16(image, 6)});
  ++frames;
  in.Seek(in.Position() + ColourTable(image[8]) + 1);  // its colour table and LZW code size
  return SkipSubBlocks(in, steps);
}

// The logical screen and every image in the file, for the decoder keeps each:
// frames x the largest area is what it may hold.
std::optional<Sized> GifSize(const ReadBytesAt& read) {
  std::array<std::uint8_t, 13> screen{};
  if (read(0, screen) != screen.size()) return std::nullopt;
  PictureSize size{Le16(screen, 6), Le16(screen, 8)};
  ForwardReader in(read, screen.size() + ColourTable(screen[10]));
  std::uint64_t frames = 0, steps = 0;
  for (Walk walk = Walk::Done; walk == Walk::Done;) {
    walk = GifBlock(in, size, frames, steps);
    if (walk == Walk::TooLong || ++steps > MostSubBlocks) return std::nullopt;
  }
  return Sized{size, FramesCost(std::max<std::uint64_t>(frames, 1), size)};
}

// Every image in the directory, each by its own header (an embedded PNG or DIB);
// a directory of more than MostIcons is refused, not judged on its first ones.
std::optional<Sized> IconSize(const ReadBytesAt& read) {
  std::array<std::uint8_t, 6> directory{};
  const std::uint32_t count = read(0, directory) == directory.size() ? Le16(directory, 4) : 0;
  if (count == 0 || count > MostIcons) return std::nullopt;
  std::optional<Sized> found;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::array<std::uint8_t, 16> entry{};
    if (read(6 + 16 * i, entry) != entry.size()) return std::nullopt;
    std::array<std::uint8_t, PngHeadLength> head{};
    const std::size_t got = read(Le32(entry, 12), head);
    std::optional<PictureSize> image = PngSizeOf(Bytes(head.data(), got));
    if (!image) image = DibSize(Bytes(head.data(), got));
    if (!image) return std::nullopt;
    // A DIB in an icon holds its mask below the picture: twice the height.
    if (!Starts(Bytes(head.data(), got), "\x89PNG")) image->Height /= 2;
    found = Sized{Larger(found ? std::optional(found->Size) : std::nullopt, *image),
                  SaturatingAdd(found ? found->Pixels : 0, FramesCost(1, *image))};
  }
  return found;
}

// TIFF numbers, in the byte order the file's first two bytes name.
struct TiffOrder {
  bool Little = true;
  std::uint32_t U16(Bytes b, std::size_t at) const { return Little ? Le16(b, at) : Be16(b, at); }
  std::uint32_t U32(Bytes b, std::size_t at) const { return Little ? Le32(b, at) : Be32(b, at); }
};

// One page's entries: its size and, when it is stored in tiles, theirs.
struct TiffPage {
  std::uint32_t Width = 0, Height = 0, TileWidth = 0, TileHeight = 0;
  bool Tiled = false;
  std::uint64_t Next = 0;  // where the next page's entries are; 0 after the last
};

// A size entry as the decoder takes it: a SHORT or LONG value held in the entry.
std::optional<std::uint32_t> TiffNumber(Bytes entry, const TiffOrder& order) {
  const std::uint32_t type = order.U16(entry, 2);
  if (order.U32(entry, 4) != 1 || (type != 3 && type != 4)) return std::nullopt;
  return type == 3 ? order.U16(entry, 8) : order.U32(entry, 8);
}

std::optional<TiffPage> TiffPageAt(ForwardReader& in, const TiffOrder& order) {
  std::array<std::uint8_t, 12> entry{};
  if (!in.Take(std::span(entry).first(2))) return std::nullopt;
  TiffPage page;
  std::array<bool, 4> seen{};  // the decoder takes the first of the same tag and skips the rest
  for (std::uint32_t i = 0, count = order.U16(entry, 0); i < count; ++i) {
    if (!in.Take(entry)) return std::nullopt;
    const std::uint32_t tag = order.U16(entry, 0);
    const bool sizeTag = tag == 256 || tag == 257 || tag == 322 || tag == 323;
    const std::uint32_t index = tag < 300 ? tag - 256 : tag - 322 + 2;
    if (!sizeTag || std::exchange(seen[index], true)) continue;
    const std::optional<std::uint32_t> value = TiffNumber(entry, order);
    if (!value) return std::nullopt;
    std::uint32_t* const field[] = {&page.Width, &page.Height, &page.TileWidth, &page.TileHeight};
    *field[index] = *value;
    page.Tiled = page.Tiled || tag >= 322;
  }
  if (!in.Take(std::span(entry).first(4))) return std::nullopt;
  page.Next = order.U32(entry, 0);
  return page;
}

// What decoding one page holds: the picture, or every tile of it, the last
// row and column of tiles whole.
std::optional<std::uint64_t> TiffPageCost(const TiffPage& page) {
  if (page.Width == 0 || page.Height == 0) return std::nullopt;
  if (!page.Tiled) return FramesCost(1, {page.Width, page.Height});
  if (page.TileWidth == 0 || page.TileHeight == 0) return std::nullopt;
  const auto covered = [](std::uint64_t side, std::uint64_t tile) { return (side + tile - 1) / tile * tile; };
  return SaturatingMul(covered(page.Width, page.TileWidth), covered(page.Height, page.TileHeight));
}

// Every page in the chain, each with its tiles.
std::optional<Sized> TiffSize(const ReadBytesAt& read, bool little) {
  std::array<std::uint8_t, 8> head{};
  if (read(0, head) != head.size()) return std::nullopt;
  const TiffOrder order{little};
  std::optional<Sized> found;
  for (std::uint64_t at = order.U32(head, 4), page = 0; at != 0; ++page) {
    ForwardReader in(read, at);
    const std::optional<TiffPage> entries = TiffPageAt(in, order);
    const std::optional<std::uint64_t> cost = entries ? TiffPageCost(*entries) : std::nullopt;
    if (!cost || page == MostPages) return std::nullopt;
    found = Sized{Larger(found ? std::optional(found->Size) : std::nullopt, {entries->Width, entries->Height}),
                  SaturatingAdd(found ? found->Pixels : 0, *cost)};
    at = entries->Next;
  }
  return found;
}

DeclaredSize Known(std::optional<Sized> sized) {
  if (!sized) return {true, std::nullopt, 0};
  return {true, sized->Size, sized->Pixels};
}

}  // namespace

std::optional<PictureSize> PngSizeOf(Bytes head) {
  // The signature, then the header chunk, which always holds 13 bytes.
  if (head.size() < PngHeadLength || !Starts(head, "\x89PNG\r\n\x1a\n") ||
      !Starts(head.subspan(8), std::string_view("\0\0\0\x0dIHDR", 8))) {
    return std::nullopt;
  }
  return PictureSize{Be32(head, 16), Be32(head, 20)};
}

bool FitsBallWindow(PictureSize size) {
  return size.Width >= 1 && size.Width <= LargestPictureSide && size.Height >= 1 && size.Height <= LargestPictureSide;
}

std::uint64_t FramesCost(std::uint64_t frames, PictureSize size) {
  return SaturatingMul(frames, std::uint64_t{size.Width} * size.Height);
}

bool MayDecode(const DeclaredSize& declared) {
  return declared.Size && FitsBallWindow(*declared.Size) && declared.DecodePixels <= LargestDecodePixels;
}

DeclaredSize DeclaredSizeOf(const ReadBytesAt& read) {
  std::array<std::uint8_t, 32> head{};
  const Bytes b(head.data(), read(0, head));
  if (Starts(b, "\x89PNG")) return Known(Sole(PngSizeOf(b)));
  if (Starts(b, "\xFF\xD8")) return Known(JpegSize(read));
  if (Starts(b, "BM")) return Known(Sole(b.size() >= 14 ? DibSize(b.subspan(14)) : std::nullopt));
  // The decoders look at "GIF" alone, not at the version after it.
  if (Starts(b, "GIF")) return Known(GifSize(read));
  if (Starts(b, std::string_view("\0\0\1\0", 4)) || Starts(b, std::string_view("\0\0\2\0", 4))) {
    return Known(IconSize(read));
  }
  if (Starts(b, std::string_view("II*\0", 4))) return Known(TiffSize(read, true));
  if (Starts(b, std::string_view("MM\0*", 4))) return Known(TiffSize(read, false));
  // BigTIFF: no ball picture needs one.
  if (Starts(b, std::string_view("II+\0", 4)) || Starts(b, std::string_view("MM\0+", 4))) return Known(std::nullopt);
  return {};
}

}  // namespace orbisette
