#include "music/wave_head.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

namespace orbisette {
namespace {

constexpr std::size_t ChunkHeadSize = 8;    // four-letter id, 32-bit length
constexpr std::size_t FormatSize = 16;      // the fields every "fmt " chunk carries
constexpr std::size_t ExtensibleSize = 40;  // and with WAVE_FORMAT_EXTENSIBLE's, the most read
// Real files carry a handful of chunks (LIST, fact, bext, JUNK) before their data.
constexpr int MostChunks = 256;

constexpr std::uint16_t FormatPcm = 1;
constexpr std::uint16_t FormatMsAdpcm = 2;
constexpr std::uint16_t FormatFloat = 3;
constexpr std::uint16_t FormatALaw = 6;
constexpr std::uint16_t FormatMuLaw = 7;
constexpr std::uint16_t FormatImaAdpcm = 0x11;
constexpr std::uint16_t FormatExtensible = 0xFFFE;

constexpr std::uint16_t MostPlainChannels = 2;
constexpr std::uint16_t MostExtensibleChannels = 8;  // 7.1
constexpr std::uint16_t MsAdpcmStandardPairs = 7;    // the coefficient pairs every decoder knows
// The sub-format GUID of WAVE_FORMAT_EXTENSIBLE after its first two bytes (the
// format tag): {xxxx0000-0000-0010-8000-00AA00389B71}.
constexpr std::array<std::uint8_t, 14> SubFormatTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool IdAt(std::span<const std::uint8_t> b, std::size_t at, std::string_view id) {
  for (std::size_t i = 0; i < id.size(); ++i) {
    if (b[at + i] != static_cast<std::uint8_t>(id[i])) return false;
  }
  return true;
}

// A "fmt " chunk: its common fields and the bytes after them that it holds.
struct WaveFormat {
  std::uint16_t Tag, Channels;
  std::uint32_t Rate, BytesPerSecond;
  std::uint16_t BlockAlign, Bits;
  std::span<const std::uint8_t> Body;  // from the tag on, at most ExtensibleSize bytes
  std::uint16_t Extra(std::size_t at) const { return Body.size() >= at + 2 ? Le16(Body, at) : 0; }
  bool Holds(std::size_t bytes) const { return Body.size() >= bytes; }
};

// Samples or floats: a whole number of bytes per sample, one frame per block.
bool LinearAgrees(const WaveFormat& f, std::uint16_t tag, std::uint16_t mostChannels) {
  const bool depth = tag == FormatPcm ? (f.Bits == 8 || f.Bits == 16 || f.Bits == 24 || f.Bits == 32)
                                      : (tag == FormatFloat && f.Bits == 32);
  return depth && f.Channels <= mostChannels && f.BlockAlign == f.Channels * (f.Bits / 8) &&
         std::uint64_t{f.Rate} * f.BlockAlign == f.BytesPerSecond;
}

// The sub-format names PCM or float, and its valid bits fit the container.
bool ExtensibleAgrees(const WaveFormat& f) {
  constexpr std::size_t CbSize = 16, ValidBits = 18, SubFormat = 24;
  if (!f.Holds(ExtensibleSize) || f.Extra(CbSize) < ExtensibleSize - FormatSize - 2) return false;
  for (std::size_t i = 0; i < SubFormatTail.size(); ++i) {
    if (f.Body[SubFormat + 2 + i] != SubFormatTail[i]) return false;
  }
  const std::uint16_t valid = f.Extra(ValidBits);
  return valid != 0 && valid <= f.Bits && LinearAgrees(f, f.Extra(SubFormat), MostExtensibleChannels);
}

// A byte a sample.
bool CompandedAgrees(const WaveFormat& f) {
  return f.Bits == 8 && f.Channels <= MostPlainChannels && f.BlockAlign == f.Channels &&
         std::uint64_t{f.Rate} * f.Channels == f.BytesPerSecond;
}

// ADPCM blocks: a header of headerBytes a channel, then two samples a byte, plus
// the samples the header carries; bytes per second within 1% of what that makes.
// The frames a block holds, or 0 when the fields disagree.
std::uint32_t AdpcmFrames(const WaveFormat& f, std::uint16_t headerBytes, std::uint16_t headerSamples) {
  constexpr std::size_t CbSize = 16, SamplesPerBlock = 18;
  if (f.Bits != 4 || f.Channels > MostPlainChannels || !f.Holds(SamplesPerBlock + 2) || f.Extra(CbSize) < 2 ||
      f.BlockAlign <= headerBytes * f.Channels) {
    return 0;
  }
  const std::uint32_t samples = (f.BlockAlign - headerBytes * f.Channels) * 2u / f.Channels + headerSamples;
  const std::uint64_t expected = std::uint64_t{f.Rate} * f.BlockAlign / samples;
  const bool agrees = f.Extra(SamplesPerBlock) == samples && f.BytesPerSecond * 100ull >= expected * 99 &&
                      f.BytesPerSecond * 100ull <= expected * 101 + 100;
  return agrees ? samples : 0;
}

std::uint32_t MsAdpcmFrames(const WaveFormat& f) {
  constexpr std::size_t CbSize = 16, Pairs = 20;
  const std::uint16_t pairs = f.Extra(Pairs);
  const bool table = f.Holds(Pairs + 2) && pairs >= MsAdpcmStandardPairs && f.Extra(CbSize) == 4 + 4u * pairs;
  return table ? AdpcmFrames(f, 7, 2) : 0;
}

// The frames one block of the format holds; 0 when it is not one the player
// takes or its fields disagree.
std::uint32_t FramesPerBlock(const WaveFormat& f) {
  if (f.Channels == 0 || f.Rate < LowestWaveRate || f.Rate > LargestWaveRate || f.BlockAlign == 0) return 0;
  switch (f.Tag) {
    case FormatPcm:
    case FormatFloat: return LinearAgrees(f, f.Tag, MostPlainChannels) ? 1 : 0;
    case FormatExtensible: return ExtensibleAgrees(f) ? 1 : 0;
    case FormatALaw:
    case FormatMuLaw: return CompandedAgrees(f) ? 1 : 0;
    case FormatImaAdpcm: return AdpcmFrames(f, 4, 1);
    case FormatMsAdpcm: return MsAdpcmFrames(f);
    default: return 0;
  }
}

}  // namespace

std::optional<WaveShape> PlayableWaveShape(std::uint64_t fileSize, const ReadBytesAt& read) {
  std::array<std::uint8_t, 12> riff{};
  if (read(0, riff) != riff.size() || !IdAt(riff, 0, "RIFF") || !IdAt(riff, 8, "WAVE")) return std::nullopt;

  std::optional<WaveShape> shape;  // once the "fmt " chunk is read, with no frames yet
  std::uint16_t blockAlign = 0;
  std::uint32_t blockFrames = 0;
  std::uint64_t at = riff.size();
  for (int chunk = 0; chunk < MostChunks && at + ChunkHeadSize <= fileSize; ++chunk) {
    std::array<std::uint8_t, ChunkHeadSize + ExtensibleSize> head{};
    const std::size_t got = read(at, head);
    if (got < ChunkHeadSize) return std::nullopt;
    const std::uint32_t length = Le32(head, 4);
    const std::uint64_t end = at + ChunkHeadSize + length;
    if (end > fileSize) return std::nullopt;  // a chunk that claims more than the file holds
    // The player takes the first "fmt " chunk and walks past any later one.
    if (IdAt(head, 0, "fmt ") && !shape) {
      const std::size_t held = std::min<std::size_t>({length, got - ChunkHeadSize, ExtensibleSize});
      if (held < FormatSize) return std::nullopt;
      const std::span<const std::uint8_t> body(head.data() + ChunkHeadSize, held);
      const WaveFormat f{Le16(body, 0),  Le16(body, 2),  Le32(body, 4), Le32(body, 8),
                         Le16(body, 12), Le16(body, 14), body};
      blockFrames = FramesPerBlock(f);
      if (blockFrames == 0) return std::nullopt;
      shape = WaveShape{f.Channels, f.Rate, 0};
      blockAlign = f.BlockAlign;
    } else if (IdAt(head, 0, "data")) {
      if (!shape || length < blockAlign || length > LargestWaveData) return std::nullopt;
      shape->Frames = std::uint64_t{length} / blockAlign * blockFrames;
      return shape;
    }
    at = end + (length & 1u);  // chunks are padded to an even length
  }
  return std::nullopt;
}

bool IsPlayableWave(std::uint64_t fileSize, const ReadBytesAt& read) {
  return PlayableWaveShape(fileSize, read).has_value();
}

}  // namespace orbisette
