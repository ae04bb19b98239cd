#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "file_bytes.h"
#include "music/wave_head.h"

namespace orbisette {
namespace {

// A chunk whose length field says declared (its body's own length when 0).
std::string Chunk(const char* id, const std::string& body, std::uint32_t declared = 0) {
  return id + Le(declared ? declared : body.size(), 4) + body;
}
std::string Fmt(int tag, int channels, std::uint32_t rate, std::uint32_t perSecond, int align, int bits,
                const std::string& extra = "") {
  return Chunk("fmt ",
               Le(tag, 2) + Le(channels, 2) + Le(rate, 4) + Le(perSecond, 4) + Le(align, 2) + Le(bits, 2) + extra);
}
// The fields after the common ones: Microsoft ADPCM's (samples per block, seven
// coefficient pairs) and WAVE_FORMAT_EXTENSIBLE's (valid bits, sub-format).
std::string MsAdpcm(int samples) { return Le(32, 2) + Le(samples, 2) + Le(7, 2) + std::string(28, 'c'); }
std::string Extensible(int validBits, int tag, std::uint64_t tail = 0x719B3800AA000080) {
  return Le(22, 2) + Le(validBits, 2) + Le(0x3F, 4) + Le(tag, 4) + Le(0x100000, 4) + Le(tail, 8);
}
std::string Wave(const std::string& chunks) { return "RIFF" + Le(4 + chunks.size(), 4) + "WAVE" + chunks; }

TEST(WaveHead, PlaysOnlyAHeaderThatHoldsTogether) {
  const std::string stereo = Fmt(1, 2, 44100, 176400, 4, 16), data = Chunk("data", std::string(8, '\0'));
  const std::string block = Chunk("data", std::string(512, '\0')), six = Chunk("data", std::string(18, 'd'));
  const struct {
    std::string File;
    bool Plays;
    std::uint64_t Size = 0;  // the file's size when more than the bytes given
  } cases[] = {
      {Wave(stereo + data), true},
      {Wave(Chunk("LIST", "abc") + std::string(1, '\0') + stereo + Chunk("fact", "1234") + data), true},  // padded
      {Wave(Fmt(2, 1, 22050, 11155, 512, 4, MsAdpcm(1012)) + block), true},                               // ADPCM
      {Wave(Fmt(2, 1, 22050, 11155, 512, 4, MsAdpcm(0)) + block), false},
      {Wave(Fmt(0x11, 1, 22050, 11100, 512, 4, Le(2, 2) + Le(1017, 2)) + block), true},
      {Wave(Fmt(0x11, 1, 22050, 11100, 512, 4, Le(2, 2) + Le(1016, 2)) + block), false},
      {Wave(Fmt(7, 1, 8000, 8000, 1, 8) + data), true},  // mu-law
      {Wave(Fmt(6, 2, 8000, 16000, 4, 8) + data), false},
      {Wave(Fmt(0xFFFE, 6, 48000, 864000, 18, 24, Extensible(24, 1)) + six), true},
      {Wave(Fmt(0xFFFE, 6, 48000, 864000, 18, 24, Extensible(24, 1, 0x719B3800AA000000)) + six), false},
      {Wave(Fmt(1, 3, 48000, 288000, 6, 16) + data), false},  // more than two channels want WAVE_FORMAT_EXTENSIBLE
      {Wave(Fmt(1, 1, 384000, 768000, 2, 16) + data), true},
      {Wave(Fmt(1, 1, 400000, 800000, 2, 16) + data), false},
      {Wave(Fmt(1, 1, 999, 999, 1, 8) + data), false},
      {Wave(stereo + Chunk("data", data, 1u << 30)), true, 1u << 31},
      {Wave(stereo + Chunk("data", data, (1u << 30) + 4)), false, 1u << 31},
      {Wave(Fmt(1, 2, 44100, 176400, 0, 16) + data), false},
      {Wave(Fmt(1, 1, 0xFFFFFFFF, 0xFFFFFFFF, 1, 8) + data), false},  // agrees, but no such rate
      {Wave(Fmt(1, 2, 44100, 88200, 2, 16) + data), false},           // align not the frame
      {Wave(Fmt(1, 2, 44100, 44100, 4, 16) + data), false},           // bytes per second not rate x align
      {Wave(stereo + Chunk("data", "abc")), false},                   // less than a block
      {Wave(stereo + Chunk("data", std::string(8, '\0'), 9)), false},
      {Wave(data + stereo), false},
      {Wave(Chunk("fmt ", Le(1, 2) + Le(2, 2) + Le(44100, 4)) + data), false},
  };
  for (const auto& c : cases) {
    const auto read = [&](std::uint64_t at, std::span<std::uint8_t> into) {
      return c.File.copy(reinterpret_cast<char*>(into.data()), into.size(), std::min<std::size_t>(at, c.File.size()));
    };
    EXPECT_EQ(IsPlayableWave(c.Size ? c.Size : c.File.size(), read), c.Plays) << "row " << &c - cases;
  }
}

}  // namespace
}  // namespace orbisette
