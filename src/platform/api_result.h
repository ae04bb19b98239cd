// ApiResult: the return value of the last platform call the program made
// (cursor, window-style, profile-write, MCI, PlaySound, open-file calls). It is
// process-wide, overwritten by each such call, and only the music module ever
// decides anything on it. Portable: the core's music logic writes it too.
#pragma once

#include <cstdint>

namespace orbisette {

inline std::int32_t ApiResult = 0;

}  // namespace orbisette
