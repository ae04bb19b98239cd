// The settings file and the file checks on real files, and the platform's text
// conversions the settings file is read with.
#pragma once

#include <string>
#include <string_view>

#include "settings/profile_file.h"

namespace orbisette {

// The system's ANSI code page and UTF-8, converted as the platform's profile
// functions convert.
class Win32TextCodec final : public TextCodec {
 public:
  std::u16string ToUtf16(TextEncoding from, std::string_view bytes) const override;
  std::string FromUtf16(TextEncoding to, std::u16string_view text) const override;
  bool IsLeadByte(char byte) const override;
};

class Win32FileStore final : public FileStore {
 public:
  ReadResult Read(const std::filesystem::path& file) override;
  bool WriteAll(const std::filesystem::path& file, std::string_view bytes) override;
  bool Replace(const std::filesystem::path& source, const std::filesystem::path& target) override;
  void Remove(const std::filesystem::path& file) override;
  std::vector<std::filesystem::path> Find(const std::filesystem::path& pattern) override;
  std::uint32_t ProcessId() const override;
  const TextCodec& Codec() const override { return Text; }

 private:
  Win32TextCodec Text;
};

// Whether path names a file that can be opened for reading: one trailing
// backslash is ignored; directories, empty paths and locked files are false.
bool FileExists(std::wstring_view path);
// The same for a path in the system's ANSI code page, as the settings store it.
bool FileExistsAnsi(std::string_view path);

}  // namespace orbisette
