#include "layered/picture_head.h"

#include <algorithm>
#include <array>

namespace orbisette {
namespace {

constexpr std::array<std::uint8_t, 8> PngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// The header chunk always holds 13 bytes.
constexpr std::array<std::uint8_t, 8> HeaderChunkStart{0, 0, 0, 13, 'I', 'H', 'D', 'R'};

bool StartsWith(std::span<const std::uint8_t> bytes, std::size_t at, std::span<const std::uint8_t> wanted) {
  return bytes.size() >= at + wanted.size() && std::equal(wanted.begin(), wanted.end(), bytes.begin() + at);
}

// PNG numbers are stored most significant byte first.
std::uint32_t BigEndianAt(std::span<const std::uint8_t> bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 | std::uint32_t{bytes[at + 2]} << 8 |
         std::uint32_t{bytes[at + 3]};
}

}  // namespace

std::optional<PictureSize> PngSizeOf(std::span<const std::uint8_t> head) {
  if (head.size() < PngHeadLength || !StartsWith(head, 0, PngSignature) ||
      !StartsWith(head, PngSignature.size(), HeaderChunkStart)) {
    return std::nullopt;
  }
  return PictureSize{BigEndianAt(head, 16), BigEndianAt(head, 20)};
}

bool FitsBallWindow(PictureSize size) {
  return size.Width >= 1 && size.Width <= LargestPictureSide && size.Height >= 1 && size.Height <= LargestPictureSide;
}

PictureCheck CheckPictureHead(std::span<const std::uint8_t> head) {
  // Other formats (a BMP or JPEG under the name) are sized by the platform's
  // codecs, which read their headers.
  if (!StartsWith(head, 0, PngSignature)) return PictureCheck::Decode;
  const std::optional<PictureSize> size = PngSizeOf(head);
  return size && FitsBallWindow(*size) ? PictureCheck::Decode : PictureCheck::Refuse;
}

}  // namespace orbisette
