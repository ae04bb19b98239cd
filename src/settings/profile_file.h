// The profile-file format of Orbisette.ini: "[section]" headers and "key=value"
// lines, read and written the way the platform's profile functions do, but on the
// file's own bytes, so that the Japanese key names stay the same bytes whatever
// the system's code page is. Portable: no <windows.h>.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orbisette {

// Longest value a read returns, in bytes; longer values are cut.
inline constexpr std::size_t MaxProfileValueBytes = 255;

// The value of key in section, or empty when the section or key is missing.
// Section and key names match without regard to ASCII case (the trail bytes of
// code page 932 characters are compared exactly), spaces around names and values
// are dropped, one pair of matching quotes around a value is removed, lines may
// end in CRLF or LF and the last one may have no line end.
std::string ReadProfileValue(std::string_view contents, std::string_view section, std::string_view key);

// The contents with key in section set to value, every other line kept byte for
// byte: an existing key line is rewritten in place, a new key goes after the last
// line of its section, a new section is appended. The value is written exactly as
// given (a leading space stays). Returns nullopt when a name or the value would
// break the file's lines (CR, LF or NUL anywhere, "=" in the key, "]" in the
// section, an empty key or section).
std::optional<std::string> WithProfileValue(std::string_view contents, std::string_view section, std::string_view key,
                                            std::string_view value);

// Where the settings file's bytes come from and go to. The shell's implementation
// works on real files; tests use one in memory that can fail on demand.
class FileStore {
 public:
  enum class ReadStatus { Ok, Missing, Failed };
  struct ReadResult {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;
  };

  virtual ~FileStore() = default;
  virtual ReadResult Read(const std::filesystem::path& file) = 0;
  // Creates or truncates file and writes all of bytes to disk; false on any failure.
  virtual bool WriteAll(const std::filesystem::path& file, std::string_view bytes) = 0;
  // Puts source in target's place in one step, replacing target; false on failure.
  virtual bool Replace(const std::filesystem::path& source, const std::filesystem::path& target) = 0;
  virtual void Remove(const std::filesystem::path& file) = 0;
};

// One key from a profile file; empty when the file, section or key is missing or
// the file cannot be read.
std::string ReadIniValue(FileStore& store, std::string_view section, std::string_view key,
                         const std::filesystem::path& file);

// Stores one key in a profile file, creating the file, section or key as needed.
// The new contents go to a temporary file beside it, which then replaces the file
// in one step: a failure at any point leaves the old file as it was. A file that
// exists but cannot be read is not overwritten. Returns whether the value was
// stored.
bool WriteIniValue(FileStore& store, std::string_view section, std::string_view key, std::string_view value,
                   const std::filesystem::path& file);

// One key and its value for WriteIniValues.
struct ProfileEntry {
  std::string_view Key;
  std::string_view Value;
};

// Stores several keys of one section in one replacement of the file: either every
// entry is stored or the file stays as it was. Every entry is checked before
// anything is written, so a value that would break the file writes nothing.
bool WriteIniValues(FileStore& store, std::string_view section, std::span<const ProfileEntry> entries,
                    const std::filesystem::path& file);

// The temporary file WriteIniValue writes beside file.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& file);

}  // namespace orbisette
