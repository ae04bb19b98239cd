// The size a ball picture's file declares, read from its headers before any
// pixel is decoded, for the formats whose decoders take the whole picture in
// at once or trust its headers for what they allocate: PNG, JPEG, BMP, GIF, ICO
// and TIFF. A file of a few hundred bytes can declare a picture of gigabytes,
// and some decoders allocate and fill all of it before anyone can ask its size.
// Headers are read as the decoders read them, so that no header the decoder
// skips hides the size it will use, and every frame and tile counts towards
// what the decode will cost. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/read_at.h"

namespace orbisette {

struct PictureSize {
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
};

// No side of a ball picture may be larger: the window shows 147 x 147 pixels,
// and a side of 4096 already costs 64 MiB decoded.
inline constexpr std::uint32_t LargestPictureSide = 4096;
// Every side from 1 to LargestPictureSide.
bool FitsBallWindow(PictureSize size);

// The PNG signature, the header chunk's length and type, its width and height.
inline constexpr std::size_t PngHeadLength = 24;
// The width and height in a PNG's header chunk; empty when the bytes are not the
// start of a PNG with its header chunk (too short, another signature, another
// first chunk).
std::optional<PictureSize> PngSizeOf(std::span<const std::uint8_t> head);

// The most a ball picture's decode may hold, in 32-bit pixels: every frame, tile
// and coefficient buffer together, about 100 MB (one picture of 4096 x 4096
// and half of another).
inline constexpr std::uint64_t LargestDecodePixels = std::uint64_t{LargestPictureSide} * LargestPictureSide * 3 / 2;

struct DeclaredSize {
  bool KnownFormat = false;  // PNG, JPEG, BMP, GIF, ICO or TIFF by its first bytes
  // The largest width and height among its pictures; empty when a known
  // format's headers do not say (cut short, broken, more than is walked).
  std::optional<PictureSize> Size;
  // What decoding it all may hold, in pixels: frames x area, tiles, buffers.
  std::uint64_t DecodePixels = 0;
};
DeclaredSize DeclaredSizeOf(const ReadBytesAt& read);

// Whether a picture so declared may be decoded: its size is known, every side
// fits a ball window and the whole decode stays within LargestDecodePixels.
bool MayDecode(const DeclaredSize& declared);

// frames x the area of size, saturating.
std::uint64_t FramesCost(std::uint64_t frames, PictureSize size);

}  // namespace orbisette
