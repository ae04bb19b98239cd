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
  const std::string ext = Extensible(24, 1);  // its sub-format's last four bytes can pass for a chunk's id
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
      {Wave(Fmt(0xFFFE, 6, 48000, 864000, 18, 24, Extensible(24, 1, 0x709B3800AA000080)) + six), false},
      {Wave(Fmt(1, 3, 48000, 288000, 6, 16) + data), false},  // more than two channels want WAVE_FORMAT_EXTENSIBLE
      {Wave(Fmt(1, 1, 384000, 768000, 2, 16) + data), true},
      {Wave(Fmt(1, 1, 384001, 768002, 2, 16) + data), false},
      {Wave(Fmt(1, 1, 999, 999, 1, 8) + data), false},
      {Wave(stereo + Chunk("data", data, 1u << 30)), true, 1u << 31},
      {Wave(stereo + Chunk("data", data, (1u << 30) + 1)), false, 1u << 31},
      {Wave(Fmt(1, 2, 44100, 176400, 0, 16) + data), false},
      {Wave(Fmt(1, 1, 0xFFFFFFFF, 0xFFFFFFFF, 1, 8) + data), false},  // agrees, but no such rate
      {Wave(Fmt(1, 2, 44100, 88200, 2, 16) + data), false},           // align not the frame
      {Wave(Fmt(1, 2, 44100, 44100, 4, 16) + data), false},           // bytes per second not rate x align
      {Wave(stereo + Chunk("data", "abc")), false},                   // less than a block
      {Wave(stereo + Chunk("data", std::string(8, '\0'), 9)), false},
      {Wave(data + stereo), false},
      {Wave(Chunk("fmt ", Le(1, 2) + Le(2, 2) + Le(44100, 4)) + data), false},
      {Wave(Fmt(1, 1, 1000, 1000, 1, 8) + data), true},
      {Wave(Fmt(1, 1, 8000, 8000, 1, 12) + data), false},  // a depth not a multiple of eight
      {Wave(Fmt(1, 1, 8000, 64000, 8, 64) + data), false},
      {Wave(Fmt(3, 2, 48000, 384000, 8, 32) + data), true},  // float
      {Wave(Fmt(3, 1, 48000, 96000, 2, 16) + data), false},
      {Wave(Fmt(0xFFFE, 8, 48000, 1536000, 32, 32, Extensible(32, 1)) + block), true},
      {Wave(Fmt(0xFFFE, 9, 48000, 1728000, 36, 32, Extensible(32, 1)) + block), false},
      {Wave(Fmt(0xFFFE, 8, 48000, 1536000, 32, 32, Extensible(32, 2)) + block), false},  // ADPCM inside
      {Wave(Fmt(0xFFFE, 6, 48000, 1152000, 24, 24, Extensible(24, 1)) + block), false},  // align not the frame
      {Wave(Fmt(0xFFFE, 6, 48000, 864000, 18, 24, Le(21, 2) + ext.substr(2)) + six), false},
      {Wave(Fmt(0xFFFE, 6, 48000, 864000, 18, 24, Extensible(0, 1)) + six), false},
      {Wave(Fmt(0xFFFE, 6, 48000, 864000, 18, 24, Extensible(25, 1)) + six), false},
      {Wave(Fmt(0xFFFE, 6, 48000, 864000, 18, 24, ext.substr(0, 20)) + ext.substr(20) + Le(0, 4) + six), false},
      {Wave(Fmt(6, 2, 8000, 16000, 2, 8) + data), true},  // A-law
      {Wave(Fmt(7, 1, 8000, 8000, 1, 16) + data), false},
      {Wave(Fmt(7, 3, 8000, 24000, 3, 8) + data), false},
      {Wave(Fmt(7, 1, 8000, 16000, 1, 8) + data), false},
      {Wave(Fmt(0x11, 2, 22050, 22355, 512, 4, Le(2, 2) + Le(505, 2)) + block), true},
      {Wave(Fmt(0x11, 1, 22050, 11100, 512, 3, Le(2, 2) + Le(1017, 2)) + block), false},
      {Wave(Fmt(0x11, 3, 22050, 33800, 512, 4, Le(2, 2) + Le(334, 2)) + block), false},
      {Wave(Fmt(0x11, 1, 22050, 11100, 512, 4, Le(0, 2) + Le(1017, 2)) + block), false},
      {Wave(Fmt(0x11, 0, 22050, 11100, 512, 4, Le(2, 2) + Le(1017, 2)) + block), false},
      {Wave(Fmt(0x11, 1, 22050, 88200, 4, 4, Le(2, 2) + Le(1, 2)) + block), false},       // a block of header only
      {Wave(Fmt(0x11, 1, 22050, 10988, 512, 4, Le(2, 2) + Le(1017, 2)) + block), false},  // 1% under 11100
      {Wave(Fmt(0x11, 1, 22050, 10989, 512, 4, Le(2, 2) + Le(1017, 2)) + block), true},
      {Wave(Fmt(0x11, 1, 22050, 11212, 512, 4, Le(2, 2) + Le(1017, 2)) + block), true},
      {Wave(Fmt(0x11, 1, 22050, 11213, 512, 4, Le(2, 2) + Le(1017, 2)) + block), false},
      {Wave(Fmt(2, 1, 22050, 11155, 512, 4, Le(28, 2) + Le(1012, 2) + Le(6, 2) + std::string(24, 'c')) + block), false},
      {Wave(Fmt(2, 1, 22050, 11155, 512, 4, Le(30, 2) + MsAdpcm(1012).substr(2)) + block), false},
      {Wave(stereo + data).replace(0, 4, "RIFX"), false},
      {Wave(stereo + data).replace(8, 4, "RMID"), false},
      {Wave(stereo + std::string(254 * 8, '\0') + data), true},  // the most chunks walked
      {Wave(stereo + std::string(255 * 8, '\0') + data), false},
      {Wave(stereo + stereo + data), true},  // the player takes the first and walks past the second
      {Wave(Chunk("fmt ", stereo.substr(8, 15)) + '\0' + data), false},
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
