// ApiResult: the return code of the music module's last MCI or PlaySound call.
// The module records it by design and decides on it; it is process-wide and
// overwritten by each such call. Nothing outside the music code reads or
// writes it: every window decides on what its own calls return. Portable.
#pragma once

#include <cstdint>

namespace orbisette {

inline std::int32_t ApiResult = 0;

}  // namespace orbisette
