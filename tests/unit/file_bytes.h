// The numbers in the file headers the tests build: least significant byte
// first (RIFF, BMP, GIF, icons; 0 past the eighth byte) or most (JPEG, PNG).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace orbisette {

inline std::string Le(std::uint64_t v, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(i < 8 ? v >> (8 * i) & 0xFF : 0);
  return out;
}
inline std::string Be16(std::uint32_t v) { return {static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v & 0xFF)}; }

// A TIFF whose pages hold these (tag, LONG value) entries, chained in order;
// the last page's link points back at the first when loop is set.
inline std::string Tiff(bool little, const std::vector<std::vector<std::pair<int, std::uint32_t>>>& pages,
                        bool loop = false) {
  const auto n = [&](std::uint32_t v, int bytes) {
    return little ? Le(v, bytes) : bytes == 2 ? Be16(v) : Be16(v >> 16) + Be16(v);
  };
  std::string out = (little ? std::string("II*\0", 4) : std::string("MM\0*", 4)) + n(8, 4);
  for (std::size_t i = 0; i < pages.size(); ++i) {
    out += n(static_cast<std::uint32_t>(pages[i].size()), 2);
    for (const auto& [tag, value] : pages[i]) out += n(tag, 2) + n(4, 2) + n(1, 4) + n(value, 4);
    out += n(i + 1 < pages.size() ? static_cast<std::uint32_t>(out.size() + 4) : loop ? 8 : 0, 4);
  }
  return out;
}

}  // namespace orbisette
