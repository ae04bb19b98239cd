// The numbers in the file headers the tests build: least significant byte
// first (RIFF, BMP, GIF, icons; 0 past the eighth byte) or most (JPEG, PNG).
#pragma once

#include <cstdint>
#include <string>

namespace orbisette {

inline std::string Le(std::uint64_t v, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(i < 8 ? v >> (8 * i) & 0xFF : 0);
  return out;
}
inline std::string Be16(std::uint32_t v) { return {static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v & 0xFF)}; }

}  // namespace orbisette
