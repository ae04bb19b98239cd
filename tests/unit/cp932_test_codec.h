// The platform's text conversions as the tests know them, on a Japanese system:
// code page 932 as the C library's iconv maps it, with the platform's
// replacements (U+30FB for bytes that are no character, "?" for characters the
// code page lacks), and UTF-8 with U+FFFD for each broken sequence. Shared by the
// unit tests and the fuzz targets; the code page's tables are built once.
#pragma once

#include <iconv.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/profile_file.h"

namespace orbisette {

class Cp932TestCodec final : public TextCodec {
 public:
  std::u16string ToUtf16(TextEncoding from, std::string_view bytes) const override {
    std::u16string text;
    for (std::size_t i = 0; i < bytes.size();) {
      if (from == TextEncoding::Utf8) {
        text.append(NextUtf8(bytes, i));
        continue;
      }
      // As the platform reads: a lead byte and any byte but a NUL make one character.
      const auto b = static_cast<unsigned char>(bytes[i]);
      const bool pair = IsLeadByte(bytes[i]) && i + 1 < bytes.size() && bytes[i + 1] != '\0';
      const char16_t c = pair ? Tables().Wide[b << 8 | static_cast<unsigned char>(bytes[i + 1])] : Tables().Wide[b];
      text.push_back(c != 0 || b == 0 ? c : u'\u30FB');
      i += pair ? 2 : 1;
    }
    return text;
  }

  std::string FromUtf16(TextEncoding to, std::u16string_view text) const override {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
      char32_t c = text[i];
      const bool high =
          c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      if (high) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
      if (to == TextEncoding::Utf8) {
        AppendUtf8(bytes, (c >= 0xD800 && c <= 0xDFFF) ? 0xFFFD : c);
      } else if (c < 0x80) {
        bytes.push_back(static_cast<char>(c));
      } else {
        const std::uint16_t code = c > 0xFFFF ? 0 : Tables().Narrow[c];
        if (code == 0) bytes.push_back('?');
        if (code > 0xFF) bytes.push_back(static_cast<char>(code >> 8));
        if (code != 0) bytes.push_back(static_cast<char>(code & 0xFF));
      }
    }
    return bytes;
  }

  bool IsLeadByte(char byte) const override {
    const auto c = static_cast<unsigned char>(byte);
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
  }

 private:
  // Wide: a byte (< 0x100) or a lead and trail byte (lead << 8 | trail) to its
  // character, 0 for none. Narrow: a character to its byte or bytes, 0 for none.
  struct CodePage {
    std::vector<char16_t> Wide = std::vector<char16_t>(0x10000);
    std::vector<std::uint16_t> Narrow = std::vector<std::uint16_t>(0x10000);
  };

  static const CodePage& Tables() {
    static const CodePage tables = [] {
      CodePage t;
      iconv_t toWide = iconv_open("UTF-16LE", "CP932");
      iconv_t toNarrow = iconv_open("CP932", "UTF-16LE");
      for (unsigned code = 0; code < 0x10000; ++code) {
        const bool pair = code > 0xFF;
        if (pair && (code >> 8 < 0x81 || (code >> 8 > 0x9F && code >> 8 < 0xE0))) continue;
        const char in[2] = {static_cast<char>(pair ? code >> 8 : code), static_cast<char>(code & 0xFF)};
        const std::string out = Run(toWide, std::string_view(in, pair ? 2 : 1));
        if (out.size() == 2) {
          t.Wide[code] =
              static_cast<char16_t>(static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8);
        }
      }
      for (unsigned c = 0x80; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        const std::string out = Run(toNarrow, std::string_view(in, 2));
        if (out.size() == 1) t.Narrow[c] = static_cast<unsigned char>(out[0]);
        if (out.size() == 2)
          t.Narrow[c] =
              static_cast<std::uint16_t>(static_cast<unsigned char>(out[0]) << 8 | static_cast<unsigned char>(out[1]));
      }
      iconv_close(toWide);
      iconv_close(toNarrow);
      return t;
    }();
    return tables;
  }

  static std::string Run(iconv_t cd, std::string_view in) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string input(in);
    char out[8];
    char* inPtr = input.data();
    char* outPtr = out;
    std::size_t inLeft = input.size(), outLeft = sizeof out;
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) return {};
    return std::string(out, static_cast<std::size_t>(outPtr - out));
  }

  // One character of UTF-8 from i on, or U+FFFD for the longest broken start of one.
  static std::u16string NextUtf8(std::string_view bytes, std::size_t& i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char b = at(i++);
    if (b < 0x80) return std::u16string(1, b);
    // The length of the sequence b starts, and the range of its second byte.
    std::size_t length = 4;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;  // no surrogates
    } else if (b == 0xF0) {
      low = 0x90;
    } else if (b == 0xF4) {
      high = 0x8F;
    } else if (b < 0xF0 || b > 0xF4) {
      return u"\uFFFD";
    }
    char32_t c = b & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k, low = 0x80, high = 0xBF) {
      if (i >= bytes.size() || at(i) < low || at(i) > high) return u"\uFFFD";
      c = (c << 6) | (at(i++) & 0x3F);
    }
    if (c < 0x10000) return std::u16string(1, static_cast<char16_t>(c));
    c -= 0x10000;
    return {static_cast<char16_t>(0xD800 + (c >> 10)), static_cast<char16_t>(0xDC00 + (c & 0x3FF))};
  }

  static void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      return;
    }
    const int length = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    const unsigned char lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (int k = length - 1; k >= 0; --k) {
      const char32_t bits = (c >> (6 * k)) & 0x3F;
      out.push_back(static_cast<char>(k == length - 1 ? lead[length] | (c >> (6 * k)) : 0x80 | bits));
    }
  }
};

}  // namespace orbisette
