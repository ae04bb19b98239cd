// What the first bytes of a ball picture file tell before any pixel is decoded:
// a PNG's header chunk carries its width and height, so a picture far too large
// for a 147-pixel ball window is turned away without the seconds and the
// gigabytes that decoding it would take. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace orbisette {

struct PictureSize {
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
};

// The PNG signature, the header chunk's length and type, its width and height.
inline constexpr std::size_t PngHeadLength = 24;
// No side of a ball picture may be larger: the window shows 147 x 147 pixels,
// and a side of 4096 already costs 64 MiB decoded.
inline constexpr std::uint32_t LargestPictureSide = 4096;

// The width and height in a PNG's header chunk; empty when the bytes are not the
// start of a PNG with its header chunk (too short, another signature, another
// first chunk).
std::optional<PictureSize> PngSizeOf(std::span<const std::uint8_t> head);

// Every side from 1 to LargestPictureSide.
bool FitsBallWindow(PictureSize size);

enum class PictureCheck {
  Decode,  // a PNG that fits, or no PNG at all: another format's header is read next
  Refuse,  // a PNG too large, empty, or broken in its header: cannot be had
};
// What to do with a picture file whose first bytes are head (fewer when the file
// is shorter).
PictureCheck CheckPictureHead(std::span<const std::uint8_t> head);

}  // namespace orbisette
