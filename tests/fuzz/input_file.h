// The input as one temporary file rewritten for each input, for libraries that open one by descriptor, and our readers.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "fuzz_check.h"
#include "platform/read_at.h"

inline int InputFile(std::span<const std::uint8_t> bytes) {
  static const int file = fileno(std::tmpfile());
  FUZZ_CHECK(ftruncate(file, 0) == 0 && pwrite(file, bytes.data(), bytes.size(), 0) == std::ssize(bytes));
  return lseek(file, 0, SEEK_SET) == 0 ? file : -1;
}

inline orbisette::ReadBytesAt ReadsOf(int file) {
  return [file](std::uint64_t at, std::span<std::uint8_t> into) {
    return static_cast<std::size_t>(std::max(0L, pread(file, into.data(), into.size(), static_cast<off_t>(at))));
  };
}
