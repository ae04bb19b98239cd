// make_mark_bmp: draws the two 12 x 12 pictures the settings dialog shows as
// its marks, an empty square box (off) and the same box filled blue (on), and
// writes them as plain 24-bit BMP files, which the Win32 window loads from its
// resources with no library beyond the system's.
//
// Usage: make_mark_bmp <off.bmp> <on.bmp>
//
// The output is the same bytes on every run and every machine: the pictures
// are a few flat colours, and the writer sets every header field itself.

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

constexpr int MarkSize = 12;
constexpr int PixelsPerMetre = 3780;  // 96 DPI

struct Colour {
  std::uint8_t Red, Green, Blue;
};

constexpr Colour Border{64, 64, 72};
constexpr Colour Paper{255, 255, 255};
constexpr Colour Fill{0, 0, 255};

// The box: a one-pixel border round the whole picture, inside it paper or blue.
Colour PixelAt(int x, int y, bool on) {
  const bool edge = x == 0 || y == 0 || x == MarkSize - 1 || y == MarkSize - 1;
  if (edge) return Border;
  return on ? Fill : Paper;
}

void Put16(std::string& out, int v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((v >> shift) & 0xFF);
}

// BITMAPFILEHEADER, BITMAPINFOHEADER, then the rows bottom-up in blue, green,
// red order, each padded to four bytes.
std::string Bitmap(bool on) {
  const std::uint32_t rowBytes = (MarkSize * 3 + 3) / 4 * 4;
  const std::uint32_t imageBytes = rowBytes * MarkSize;
  const std::uint32_t headerBytes = 14 + 40;
  std::string out;
  out += "BM";
  Put32(out, headerBytes + imageBytes);
  Put32(out, 0);
  Put32(out, headerBytes);
  Put32(out, 40);
  Put32(out, MarkSize);
  Put32(out, MarkSize);  // positive height: bottom-up
  Put16(out, 1);         // planes
  Put16(out, 24);        // bits per pixel
  Put32(out, 0);         // BI_RGB
  Put32(out, imageBytes);
  Put32(out, PixelsPerMetre);
  Put32(out, PixelsPerMetre);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = MarkSize - 1; y >= 0; --y) {
    for (int x = 0; x < MarkSize; ++x) {
      const Colour c = PixelAt(x, y, on);
      out += static_cast<char>(c.Blue);
      out += static_cast<char>(c.Green);
      out += static_cast<char>(c.Red);
    }
    out.append(rowBytes - MarkSize * 3, '\0');
  }
  return out;
}

bool WriteFile(const char* path, const std::string& bytes) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) {
    std::perror(path);
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) {
    std::perror(path);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <off.bmp> <on.bmp>\n", argc > 0 ? argv[0] : "make_mark_bmp");
    return 2;
  }
  return WriteFile(argv[1], Bitmap(false)) && WriteFile(argv[2], Bitmap(true)) ? 0 : 1;
}
