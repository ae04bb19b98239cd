// Fuzzes the WAV check against libsndfile reading what the player reads of the file. Properties: a plain WAV in PCM,
// float, mu-law or A-law that libsndfile opens with a frame or more, no complaint and a shape the player takes, ours
// takes; what ours takes, libsndfile opens with the same channels, rate and frames.
#include <sndfile.h>

#include <cstring>
#include <map>
#include <vector>

#include "input_file.h"
#include "music/wave_head.h"

namespace {

// What the player reads, walking past other chunks: the RIFF header, the first "fmt " and
// "data" chunks in their order. libsndfile reads all, and fails on some of the others.
std::vector<uint8_t> PlayersView(std::span<const uint8_t> f) {
  std::vector<uint8_t> view(f.begin(), f.begin() + std::min<long>(std::ssize(f), 12));
  for (std::uint64_t at = 12, span = 0, format = 0; at + 8 <= f.size(); at += span) {
    span = 8 + (orbisette::Le32(f, at + 4) + 1ull) / 2 * 2;
    const bool data = std::memcmp(&f[at], "data", 4) == 0, first = std::memcmp(&f[at], "fmt ", 4) == 0 && !format++;
    if (data || first) view.insert(view.end(), f.data() + at, f.data() + std::min(f.size(), at + span));
    if (data) break;
  }
  for (size_t i = 0; view.size() >= 8 && i < 4; ++i) view[4 + i] = static_cast<uint8_t>((view.size() - 8) >> 8 * i);
  return view;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::optional<orbisette::WaveShape> ours = orbisette::PlayableWaveShape(size, ReadsOf(InputFile({data, size})));
  SF_INFO info{};
  SNDFILE* sound = sf_open_fd(dup(InputFile(PlayersView({data, size}))), SFM_READ, &info, SF_TRUE);
  static char log[8192];
  sf_command(sound, SFC_GET_LOG_INFO, log, sizeof log);
  const int type = info.format & SF_FORMAT_TYPEMASK;
  static std::map<int, int> sampleBits = {{SF_FORMAT_PCM_U8, 8},  {SF_FORMAT_PCM_16, 16}, {SF_FORMAT_PCM_24, 24},
                                          {SF_FORMAT_PCM_32, 32}, {SF_FORMAT_FLOAT, 32},  {SF_FORMAT_ULAW, 8},
                                          {SF_FORMAT_ALAW, 8}};  // where a frame is whole samples
  const int bits = sampleBits[info.format & SF_FORMAT_SUBMASK];
  const auto rate = static_cast<std::uint32_t>(info.samplerate);
  long align = -1, width = -1;  // the block align and bit width lines of libsndfile's log
  if (const char* f = std::strstr(log, "Block Align")) std::sscanf(f, "%*[^:]:%ld%*[^:]:%ld", &align, &width);
  const bool wav = sound && (type == SF_FORMAT_WAV || type == SF_FORMAT_WAVEX) && !(info.format & SF_FORMAT_ENDMASK);
  const bool admitted = wav && type == SF_FORMAT_WAV && bits != 0 && info.frames >= 1 && info.channels <= 2 &&
                        rate >= orbisette::LowestWaveRate && rate <= orbisette::LargestWaveRate &&
                        !std::strstr(log, "should") && width == bits && align == info.channels * bits / 8;
  FUZZ_CHECK(ours || !admitted);
  FUZZ_CHECK(!ours || (wav && ours->Channels == info.channels && ours->Rate == rate));
  FUZZ_CHECK(!ours || bits == 0 || ours->Frames == static_cast<std::uint64_t>(info.frames));
  if (sound) sf_close(sound);
  return 0;
}
