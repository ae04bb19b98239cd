// How the header checks read a file: a few bytes at a time at any offset, from
// a real file in the shell and from bytes in memory in the tests, and the
// numbers in those bytes, least significant byte first (RIFF, BMP, GIF, icons,
// TIFF "II") or most significant first (PNG, JPEG, TIFF "MM"). Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace orbisette {

// Up to into.size() bytes of the file from offset (fewer at its end); returns
// how many were read.
using ReadBytesAt = std::function<std::size_t(std::uint64_t offset, std::span<std::uint8_t> into)>;

// The number at b[at]; the caller has made sure its bytes are there.
inline std::uint16_t Le16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
inline std::uint16_t Be16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}
inline std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) {
  return Le16(b, at) | std::uint32_t{Le16(b, at + 2)} << 16;
}
inline std::uint32_t Be32(std::span<const std::uint8_t> b, std::size_t at) {
  return std::uint32_t{Be16(b, at)} << 16 | Be16(b, at + 2);
}

}  // namespace orbisette
