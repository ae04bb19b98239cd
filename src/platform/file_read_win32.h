// Reading a file's bytes at an offset, for the checks that look into a file's
// headers before the platform is handed the file.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>

namespace orbisette {

// Up to into.size() bytes of file from offset; how many were read (0 on failure).
inline std::size_t ReadFileAt(HANDLE file, std::uint64_t offset, std::span<std::uint8_t> into) noexcept {
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  DWORD got = 0;
  if (!file || !::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ||
      !::ReadFile(file, into.data(), static_cast<DWORD>(into.size()), &got, nullptr)) {
    return 0;
  }
  return got;
}

}  // namespace orbisette
