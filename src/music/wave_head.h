// What a WAV file's header says before the platform's sound code is handed the
// file. That code trusts the header and has more faults than can be listed: a
// block align of 0 or ADPCM with no samples per block divides by zero, rates over
// 384 kHz crash it, a data chunk of 2 GiB overruns it, a few bytes a second spin
// a core for as long as it plays. So a header is not checked for what is known
// to break the player but for what is known to play: a file that is anything
// else stays silent, like a file that cannot be played. Portable.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/read_at.h"

namespace orbisette {

// The sample rates the player takes: the platform's audio engine starts at
// 1 kHz, and its player crashes above 384 kHz.
inline constexpr std::uint32_t LowestWaveRate = 1000;
inline constexpr std::uint32_t LargestWaveRate = 384000;
// The largest data chunk handed over: the player fails at 2 GiB, whose sizes it
// holds in signed 32 bits; a gigabyte is over an hour of CD sound.
inline constexpr std::uint32_t LargestWaveData = 1u << 30;

// Whether a file of fileSize bytes is a RIFF "WAVE" whose first "fmt " chunk
// comes before a "data" chunk (a later one is passed over, as the player passes
// it), at a rate the player takes, in one of these forms with
// every field in agreement (block align, bytes per second, the codec's own):
//  - PCM of 8, 16, 24 or 32 bits, or IEEE float of 32 bits, in one or two
//    channels, or in up to eight as WAVE_FORMAT_EXTENSIBLE;
//  - mu-law or A-law of 8 bits in one or two channels;
//  - IMA or Microsoft ADPCM of 4 bits in one or two channels, whose samples per
//    block are those of its block align (and Microsoft's with its 7 or more
//    coefficient pairs);
// and whose data chunk holds at least one block, at most LargestWaveData bytes,
// and lies wholly inside the file.
bool IsPlayableWave(std::uint64_t fileSize, const ReadBytesAt& read);

// What the player is handed from a file IsPlayableWave takes.
struct WaveShape {
  std::uint16_t Channels = 0;
  std::uint32_t Rate = 0;
  std::uint64_t Frames = 0;  // in the whole blocks of its data chunk
};
// The same check, saying what plays; empty where IsPlayableWave is false.
std::optional<WaveShape> PlayableWaveShape(std::uint64_t fileSize, const ReadBytesAt& read);

}  // namespace orbisette
