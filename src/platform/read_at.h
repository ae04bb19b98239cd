// How the header checks read a file: a few bytes at a time at any offset, from
// a real file in the shell and from bytes in memory in the tests. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace orbisette {

// Up to into.size() bytes of the file from offset (fewer at its end); returns
// how many were read.
using ReadBytesAt = std::function<std::size_t(std::uint64_t offset, std::span<std::uint8_t> into)>;

}  // namespace orbisette
