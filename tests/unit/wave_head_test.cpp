#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "music/wave_head.h"

namespace orbisette {
namespace {

std::string Le(std::uint32_t v, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(v >> (8 * i) & 0xFF);
  return out;
}
// A chunk whose length field says declared (its body's own length when 0).
std::string Chunk(const char* id, const std::string& body, std::uint32_t declared = 0) {
  return id + Le(declared ? declared : static_cast<std::uint32_t>(body.size()), 4) + body;
}
std::string Fmt(int tag, int channels, std::uint32_t rate, std::uint32_t perSecond, int align, int bits) {
  return Chunk("fmt ", Le(tag, 2) + Le(channels, 2) + Le(rate, 4) + Le(perSecond, 4) + Le(align, 2) + Le(bits, 2));
}
std::string Wave(const std::string& chunks) {
  return "RIFF" + Le(static_cast<std::uint32_t>(4 + chunks.size()), 4) + "WAVE" + chunks;
}

TEST(WaveHead, PlaysOnlyAHeaderThatHoldsTogether) {
  const std::string stereo = Fmt(1, 2, 44100, 176400, 4, 16), data = Chunk("data", std::string(8, '\0'));
  const struct {
    const char* name;
    std::string file;
    bool playable;
  } cases[] = {
      {"16-bit stereo", Wave(stereo + data), true},
      {"chunks before, one of odd length",
       Wave(Chunk("LIST", "abc") + std::string(1, '\0') + stereo + Chunk("fact", "1234") + data), true},
      {"24-bit mono at the highest rate", Wave(Fmt(1, 1, 768000, 2304000, 3, 24) + Chunk("data", "abc")), true},
      {"ADPCM blocks", Wave(Fmt(2, 1, 22050, 11155, 512, 4) + Chunk("data", std::string(512, '\0'))), true},
      {"block align 0", Wave(Fmt(1, 2, 44100, 176400, 0, 16) + data), false},
      {"no channels", Wave(Fmt(1, 0, 44100, 176400, 4, 16) + data), false},
      {"rate of 4 G", Wave(Fmt(1, 1, 0xFFFFFFFF, 0xFFFFFFFE, 2, 16) + data), false},
      {"rate beyond the highest", Wave(Fmt(1, 1, 768001, 1536002, 2, 16) + data), false},
      {"block align not the frame", Wave(Fmt(1, 2, 44100, 88200, 2, 16) + data), false},
      {"bytes per second not rate x align", Wave(Fmt(1, 2, 44100, 44100, 4, 16) + data), false},
      {"ADPCM with no block", Wave(Fmt(2, 1, 22050, 11155, 0, 4) + data), false},
      {"data empty", Wave(stereo + Chunk("data", "")), false},
      {"data less than a block", Wave(stereo + Chunk("data", "abc")), false},
      {"data one byte beyond the file", Wave(stereo + Chunk("data", std::string(8, '\0'), 9)), false},
      {"data far beyond the file", Wave(stereo + Chunk("data", std::string(8, '\0'), 0x7FFFFFF0)), false},
      {"data before its format", Wave(data + stereo), false},
      {"no data", Wave(stereo), false},
      {"format cut short", Wave(Chunk("fmt ", Le(1, 2) + Le(2, 2) + Le(44100, 4)) + data), false},
      {"not WAVE", "RIFF" + Le(40, 4) + "AVI " + stereo + data, false},
      {"empty file", "", false},
  };
  for (const auto& c : cases) {
    const ReadFileAt read = [&](std::uint64_t at, std::span<std::uint8_t> into) {
      const std::string part = c.file.substr(std::min<std::size_t>(at, c.file.size()), into.size());
      return static_cast<std::size_t>(std::copy(part.begin(), part.end(), into.begin()) - into.begin());
    };
    EXPECT_EQ(IsPlayableWave(c.file.size(), read), c.playable) << c.name;
  }
}

}  // namespace
}  // namespace orbisette
