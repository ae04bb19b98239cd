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
std::string Fmt(int tag, int channels, std::uint32_t rate, std::uint32_t perSecond, int align, int bits) {
  return Chunk("fmt ", Le(tag, 2) + Le(channels, 2) + Le(rate, 4) + Le(perSecond, 4) + Le(align, 2) + Le(bits, 2));
}
std::string Wave(const std::string& chunks) { return "RIFF" + Le(4 + chunks.size(), 4) + "WAVE" + chunks; }

TEST(WaveHead, PlaysOnlyAHeaderThatHoldsTogether) {
  const std::string stereo = Fmt(1, 2, 44100, 176400, 4, 16), data = Chunk("data", std::string(8, '\0'));
  const std::pair<std::string, bool> cases[] = {
      {Wave(stereo + data), true},
      {Wave(Chunk("LIST", "abc") + std::string(1, '\0') + stereo + Chunk("fact", "1234") + data), true},  // padded
      {Wave(Fmt(2, 1, 22050, 11155, 512, 4) + Chunk("data", std::string(512, '\0'))), true},              // ADPCM
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
      return c.first.copy(reinterpret_cast<char*>(into.data()), into.size(), std::min<std::size_t>(at, c.first.size()));
    };
    EXPECT_EQ(IsPlayableWave(c.first.size(), read), c.second) << "row " << &c - cases;
  }
}

}  // namespace
}  // namespace orbisette
