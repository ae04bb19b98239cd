#include "settings/file_store_win32.h"

#include <windows.h>

#include <limits>

#include "platform/paths.h"
#include "platform/text_win32.h"
#include "platform/unique_handle_win32.h"

namespace orbisette {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 text is wchar_t text on Windows");

namespace {

UINT CodePageOf(TextEncoding encoding) { return encoding == TextEncoding::Utf8 ? CP_UTF8 : CP_ACP; }

// Attributes a replaced settings file keeps; read-only never gets this far.
constexpr DWORD KeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

}  // namespace

std::u16string Win32TextCodec::ToUtf16(TextEncoding from, std::string_view bytes) const {
  const std::wstring text = FromAnsi(bytes, CodePageOf(from));
  return {text.begin(), text.end()};
}

std::string Win32TextCodec::FromUtf16(TextEncoding to, std::u16string_view text) const {
  return ToAnsi({reinterpret_cast<const wchar_t*>(text.data()), text.size()}, CodePageOf(to));
}

bool Win32TextCodec::IsLeadByte(char byte) const { return ::IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE; }

FileStore::ReadResult Win32FileStore::Read(const std::filesystem::path& file) {
  unique_handle h(NullIfInvalid(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!h) {
    const DWORD error = ::GetLastError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return {missing ? ReadStatus::Missing : ReadStatus::Failed, {}};
  }
  BY_HANDLE_FILE_INFORMATION info{};
  LARGE_INTEGER size{};
  if (!::GetFileInformationByHandle(h.get(), &info) || !::GetFileSizeEx(h.get(), &size) ||
      size.QuadPart > std::numeric_limits<DWORD>::max() / 2) {
    return {ReadStatus::Failed, {}};
  }
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  if (!bytes.empty() &&
      (!::ReadFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size())) {
    return {ReadStatus::Failed, {}};
  }
  return {ReadStatus::Ok, std::move(bytes), (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0};
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
  // The new file takes the old one's attributes before it takes its place, so a
  // hidden settings file stays hidden with no moment of being otherwise. The
  // values matter more than the attributes: a refusal here does not stop the save.
  const DWORD old = ::GetFileAttributesW(target.c_str());
  if (old != INVALID_FILE_ATTRIBUTES && (old & KeptAttributes) != 0) {
    ::SetFileAttributesW(source.c_str(), old & KeptAttributes);
  }
  return ::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void Win32FileStore::Remove(const std::filesystem::path& file) {
  ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only file cannot be deleted
  ::DeleteFileW(file.c_str());
}

std::vector<std::filesystem::path> Win32FileStore::Find(const std::filesystem::path& pattern) {
  std::vector<std::filesystem::path> found;
  WIN32_FIND_DATAW data{};
  const unique_hfind search(
      NullIfInvalid(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0)));
  if (!search) return found;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      found.push_back(pattern.parent_path() / data.cFileName);
  } while (::FindNextFileW(search.get(), &data));
  return found;
}

std::uint32_t Win32FileStore::ProcessId() const { return ::GetCurrentProcessId(); }

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
