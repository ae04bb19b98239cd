// A large settings file for the figures programs: about `bytes` of empty CRLF
// lines with the section after them, or of a section of short key lines
// ("k123=1"), then the given key lines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

inline std::string LargeSettings(bool keyLines, std::size_t bytes, std::string_view keys) {
  std::string file;
  file.reserve(bytes + 256);
  if (keyLines) file = "[Section]\r\n";
  for (std::size_t n = 0; file.size() < bytes; ++n) {
    if (keyLines) file.append("k").append(std::to_string(n)).append("=1");
    file.append("\r\n");
  }
  return file.append(keyLines ? "" : "[Section]\r\n").append(keys);
}
