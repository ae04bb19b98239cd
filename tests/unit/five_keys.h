// The five settings' lines in the order the dialog's "設定" writes them, each
// value exactly as given; the key names as the file holds them, in code page
// 932 bytes, written here rather than taken from the program.
#pragma once

#include <string>
#include <string_view>

namespace orbisette {

inline std::string FiveKeyLines(std::string_view kind, std::string_view repeat, std::string_view file,
                                std::string_view speed, std::string_view rebound) {
  std::string lines;
  for (const auto& [key, value] : {std::pair<std::string_view, std::string_view>{"BGM\x8B\xE6\x95\xAA", kind},
                                   {"BGM\xD8\xCB\xDF\xB0\xC4", repeat},
                                   {"BGM\xCC\xA7\xB2\xD9", file},
                                   {"\x88\xDA\x93\xAE\x91\xAC\x93\x78", speed},
                                   {"\x94\xBD\x9D\x9B", rebound}}) {
    lines.append(key).append("=").append(value).append("\r\n");
  }
  return lines;
}

}  // namespace orbisette
