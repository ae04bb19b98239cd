// Ball pictures whose headers declare far more than a ball window needs, or
// whose decode takes minutes: the big-picture tests and the hostile-file figures
// make them alike.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "file_bytes.h"
#include "harness.h"

namespace e2e {

using orbisette::Be16;
using orbisette::Le;

// A BMP: its 32-bit pixels when small, else an 8-bit run-length picture of one end-of-bitmap code.
inline std::string Bmp(std::uint32_t width, std::uint32_t height) {
  const bool rle = width > 64;
  const std::string pixels =
      rle ? std::string(1024, '\0') + std::string("\0\1", 2) : std::string(width * height * 4, 0);
  return "BM" + Le(54 + static_cast<std::uint32_t>(pixels.size()), 4) + Le(0, 4) + Le(rle ? 1078 : 54, 4) + Le(40, 4) +
         Le(width, 4) + Le(height, 4) + Le(1, 2) + Le(rle ? 8 : 32, 2) + Le(rle, 4) + Le(rle ? 2 : 0, 4) + Le(0, 16) +
         pixels;
}
// A baseline JPEG of one grey component whose one scan is a single block.
inline std::string Jpeg(std::uint32_t width, std::uint32_t height) {
  const std::string table = Be16(20) + std::string(1, '\0') + "\1" + std::string(15, '\0') + std::string(1, '\0');
  return "\xFF\xD8\xFF\xDB" + Be16(67) + std::string(1, '\0') + std::string(64, '\1') + "\xFF\xC0" + Be16(11) + "\x08" +
         Be16(height) + Be16(width) + "\x01\x01\x11" + std::string(1, '\0') + "\xFF\xC4" + table + "\xFF\xC4" +
         table.substr(0, 2) + "\x10" + table.substr(3) + "\xFF\xDA" + Be16(8) + "\x01\x01" + std::string(2, '\0') +
         "\x3F" + std::string(5, '\0') + "\xFF\xD9";
}

// The JPEG with 0xFF 0x00 before its frame: a walk that reads the pair as a
// segment jumps over the frame into a comment that holds a 16 x 16 one.
inline std::string HiddenJpeg(std::uint32_t width, std::uint32_t height) {
  std::string jpeg = Jpeg(width, height);
  const std::size_t frame = jpeg.find("\xFF\xC0");
  jpeg.insert(frame + 13, "\xFF\xFE" + Be16(15) + Jpeg(16, 16).substr(frame, 13));
  // Built by appending: GCC 12 warns falsely (-Wrestrict) on a literal + a string here.
  return jpeg.insert(frame, std::string("\xFF\0", 2).append(Be16(19)));
}
// A 16 x 16 TIFF stored as one tile of width x height.
inline std::string TiledTiff(std::uint32_t width, std::uint32_t height) {
  const std::vector<std::pair<int, std::uint32_t>> page = {{256, 16},    {257, 16},     {258, 8},   {259, 1},  {262, 1},
                                                           {322, width}, {323, height}, {324, 122}, {325, 256}};
  return orbisette::Tiff(true, {page}) + std::string(256, '\x80');
}

// A PNG with 40,000 text chunks after its header: a decode of minutes under Wine.
inline std::string ChattyPng(std::uint32_t width, std::uint32_t height) {
  const std::string blank = BlankPng(width, height);
  std::string png = blank.substr(0, 33);  // the signature and the header chunk
  for (int i = 0; i < 40000; ++i) PutChunk(png, "tEXt", std::string("Comment\0", 8) + std::to_string(i));
  return png + blank.substr(33);
}

}  // namespace e2e
