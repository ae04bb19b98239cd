// The fields of the file headers the tests build: RIFF, BMP, GIF and icon
// numbers least significant byte first, JPEG and PNG numbers most significant
// byte first.
#pragma once

#include <cstdint>
#include <string>

namespace orbisette {

// v in bytes bytes, least significant first; bytes past the eighth are 0.
inline std::string Le(std::uint64_t v, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(i < 8 ? v >> (8 * i) & 0xFF : 0);
  return out;
}
inline std::string Be16(std::uint32_t v) { return {static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v & 0xFF)}; }

}  // namespace orbisette
