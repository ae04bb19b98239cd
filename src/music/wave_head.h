// What a WAV file's header says before the platform's sound code is handed the
// file. That code trusts the header: a block align of 0 divides by zero, no
// channels or an absurd rate crash it, an empty data chunk spins it so that it
// never stops, and a data chunk that claims more than the file holds overflows
// its stack. A file whose header does not hold together is not played at all.
// Portable.
#pragma once

#include <cstdint>

#include "platform/read_at.h"

namespace orbisette {

// Highest sample rate a WAV may declare; professional recorders stop at 768 kHz.
inline constexpr std::uint32_t LargestWaveRate = 768000;

// Whether a file of fileSize bytes is a RIFF "WAVE" whose "fmt " chunk comes
// before a "data" chunk and agrees with itself (channels, rate and block align
// not 0; for PCM and float samples, block align = channels x bytes per sample
// and bytes per second = rate x block align), and whose data chunk holds at
// least one block and lies wholly inside the file.
bool IsPlayableWave(std::uint64_t fileSize, const ReadBytesAt& read);

}  // namespace orbisette
