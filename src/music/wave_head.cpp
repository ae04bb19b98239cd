#include "music/wave_head.h"

#include <array>
#include <string_view>

namespace orbisette {
namespace {

constexpr std::size_t ChunkHeadSize = 8;  // four-letter id, 32-bit length
constexpr std::size_t FormatSize = 16;    // the fields every "fmt " chunk carries
// Real files carry a handful of chunks (LIST, fact, bext, JUNK) before their data.
constexpr int MostChunks = 256;

constexpr std::uint16_t FormatPcm = 1;
constexpr std::uint16_t FormatFloat = 3;
constexpr std::uint16_t FormatExtensible = 0xFFFE;

// RIFF numbers are stored least significant byte first.
std::uint32_t U32At(std::span<const std::uint8_t> b, std::size_t at) {
  return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
         std::uint32_t{b[at + 3]} << 24;
}
std::uint16_t U16At(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
bool IdAt(std::span<const std::uint8_t> b, std::size_t at, std::string_view id) {
  for (std::size_t i = 0; i < id.size(); ++i) {
    if (b[at + i] != static_cast<std::uint8_t>(id[i])) return false;
  }
  return true;
}

struct WaveFormat {
  std::uint16_t Tag, Channels;
  std::uint32_t Rate, BytesPerSecond;
  std::uint16_t BlockAlign, Bits;
};

bool Agrees(const WaveFormat& f) {
  if (f.Channels == 0 || f.Rate == 0 || f.Rate > LargestWaveRate || f.BlockAlign == 0 || f.BytesPerSecond == 0) {
    return false;
  }
  // Compressed formats have blocks of their own making; only their sizes can be checked.
  if (f.Tag != FormatPcm && f.Tag != FormatFloat && f.Tag != FormatExtensible) return true;
  const std::uint64_t frame = std::uint64_t{f.Channels} * ((f.Bits + 7u) / 8u);
  return f.Bits != 0 && frame == f.BlockAlign && std::uint64_t{f.Rate} * f.BlockAlign == f.BytesPerSecond;
}

}  // namespace

bool IsPlayableWave(std::uint64_t fileSize, const ReadBytesAt& read) {
  std::array<std::uint8_t, 12> riff{};
  if (read(0, riff) != riff.size() || !IdAt(riff, 0, "RIFF") || !IdAt(riff, 8, "WAVE")) return false;

  bool formatSeen = false;
  std::uint16_t blockAlign = 0;
  std::uint64_t at = riff.size();
  for (int chunk = 0; chunk < MostChunks && at + ChunkHeadSize <= fileSize; ++chunk) {
    std::array<std::uint8_t, ChunkHeadSize + FormatSize> head{};
    const std::size_t got = read(at, head);
    if (got < ChunkHeadSize) return false;
    const std::uint32_t length = U32At(head, 4);
    const std::uint64_t end = at + ChunkHeadSize + length;
    if (end > fileSize) return false;  // a chunk that claims more than the file holds
    if (IdAt(head, 0, "fmt ")) {
      if (length < FormatSize || got < head.size()) return false;
      const WaveFormat f{U16At(head, 8),  U16At(head, 10), U32At(head, 12),
                         U32At(head, 16), U16At(head, 20), U16At(head, 22)};
      if (!Agrees(f)) return false;
      formatSeen = true;
      blockAlign = f.BlockAlign;
    } else if (IdAt(head, 0, "data")) {
      return formatSeen && length >= blockAlign;
    }
    at = end + (length & 1u);  // chunks are padded to an even length
  }
  return false;
}

}  // namespace orbisette
