// The settings file and the file checks on real files.
#pragma once

#include <string>
#include <string_view>

#include "settings/profile_file.h"

namespace orbisette {

class Win32FileStore final : public FileStore {
 public:
  ReadResult Read(const std::filesystem::path& file) override;
  bool WriteAll(const std::filesystem::path& file, std::string_view bytes) override;
  bool Replace(const std::filesystem::path& source, const std::filesystem::path& target) override;
  void Remove(const std::filesystem::path& file) override;
};

// Whether path names a file that can be opened for reading: one trailing
// backslash is ignored; directories, empty paths and locked files are false.
bool FileExists(std::wstring_view path);
// The same for a path in the system's ANSI code page, as the settings store it.
bool FileExistsAnsi(std::string_view path);

}  // namespace orbisette
