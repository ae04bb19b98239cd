#include "settings/file_store_win32.h"

#include <windows.h>

#include <limits>

#include "platform/paths.h"
#include "platform/text_win32.h"
#include "platform/unique_handle_win32.h"

namespace orbisette {

FileStore::ReadResult Win32FileStore::Read(const std::filesystem::path& file) {
  unique_handle h(NullIfInvalid(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!h) {
    const DWORD error = ::GetLastError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return {missing ? ReadStatus::Missing : ReadStatus::Failed, {}};
  }
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(h.get(), &size) || size.QuadPart > std::numeric_limits<DWORD>::max() / 2) {
    return {ReadStatus::Failed, {}};
  }
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  if (!bytes.empty() &&
      (!::ReadFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size())) {
    return {ReadStatus::Failed, {}};
  }
  return {ReadStatus::Ok, std::move(bytes)};
}

bool Win32FileStore::WriteAll(const std::filesystem::path& file, std::string_view bytes) {
  unique_handle h(NullIfInvalid(
      ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!h) return false;
  while (!bytes.empty()) {
    DWORD wrote = 0;
    if (!::WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) || wrote == 0) {
      return false;
    }
    bytes.remove_prefix(wrote);
  }
  // On disk before the rename makes it the settings file.
  return ::FlushFileBuffers(h.get()) != FALSE;
}

bool Win32FileStore::Replace(const std::filesystem::path& source, const std::filesystem::path& target) {
  return ::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void Win32FileStore::Remove(const std::filesystem::path& file) { ::DeleteFileW(file.c_str()); }

bool FileExists(std::wstring_view path) {
  const std::wstring trimmed = WithoutTrailingBackslash(path);
  if (trimmed.empty()) return false;
  // Opening a directory without backup semantics fails, so directories are false;
  // a file that another program holds without sharing (locked) is false too.
  unique_handle h(
      NullIfInvalid(::CreateFileW(trimmed.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
  return static_cast<bool>(h);
}

bool FileExistsAnsi(std::string_view path) { return FileExists(FromAnsi(path)); }

}  // namespace orbisette
