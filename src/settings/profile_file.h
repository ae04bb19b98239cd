// The profile-file format of Orbisette.ini: "[section]" headers and "key=value"
// lines, read the way the platform's profile functions read them and written so
// that every line we do not change keeps its bytes. A file may be stored in the
// system's ANSI code page (as the platform writes it), or in UTF-8 or UTF-16
// with a byte-order mark (as editors save it); names and values cross this
// interface as ANSI bytes either way, and the Japanese key names stay the same
// code page 932 bytes whatever the system's code page is. Portable: no <windows.h>.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orbisette {

// Longest value a read returns, in bytes; longer values are cut before the first
// character that would not fit whole.
inline constexpr std::size_t MaxProfileValueBytes = 255;

enum class TextEncoding { Ansi, Utf8 };

// The platform's own conversions between the system's ANSI code page or UTF-8
// and UTF-16, with its replacements for bytes that are not text and for
// characters the code page lacks: a read then returns what the platform's
// profile functions return, byte for byte.
class TextCodec {
 public:
  virtual ~TextCodec() = default;
  virtual std::u16string ToUtf16(TextEncoding from, std::string_view bytes) const = 0;
  virtual std::string FromUtf16(TextEncoding to, std::u16string_view text) const = 0;
  // Whether byte starts a two-byte character of the ANSI code page.
  virtual bool IsLeadByte(char byte) const = 0;
};

// The value of key in the first section named section, or empty when the section
// or key is missing. As the platform reads: lines end at CR, LF or CRLF; space,
// tab, VT, FF and ^Z around names and values are dropped; a name or value ends
// at a NUL; names match without regard to ASCII case; one pair of matching quotes
// around a value is removed; a "[" line without "]" is a key line, not a header;
// a later section of the same name is never read; lines before the first header
// form a section named "".
//
// "The platform" here is Wine's profile functions under code page 932, which the
// tests compare with. Windows is documented to differ in places: its profile
// functions write Unicode only to a file "created using Unicode characters", and
// measurements on Windows 10 find that to mean the UTF-16LE mark alone (a UTF-8
// mark is read as ANSI bytes and spoils a header on the first line); it calls
// its matching "not case-sensitive" without saying for which letters; sections
// over 32,767 characters were cut before Windows 7; and a file listed under the
// registry's IniFileMapping key is read from the registry instead.
std::string ReadProfileValue(std::string_view contents, std::string_view section, std::string_view key,
                             const TextCodec& codec);

// The contents with key in section set to value, in the file's own encoding, every
// other line kept byte for byte: an existing key line (in the first section of that
// name) is rewritten in place, a new key goes after the last line of that section,
// a new section is appended. Names are written without the blanks around them;
// the value is written exactly as given (a leading space stays). Returns nullopt when a name or the value would break
// the file's lines (CR, LF or NUL anywhere, "=" in the key, "]" in the section, an empty or
// ";" or "[" key, an empty section, a lead byte with no trail byte at the end).
std::optional<std::string> WithProfileValue(std::string_view contents, std::string_view section, std::string_view key,
                                            std::string_view value, const TextCodec& codec);

// One key and its value for WithProfileValues and WriteIniValues.
struct ProfileEntry {
  std::string_view Key;
  std::string_view Value;
};

// The contents with every entry stored as WithProfileValue would store them one
// after another, from one walk over the contents; nullopt when any entry would
// break the file's lines.
std::optional<std::string> WithProfileValues(std::string_view contents, std::string_view section,
                                             std::span<const ProfileEntry> entries, const TextCodec& codec);

// Where the settings file's bytes come from and go to, and the platform's text
// conversions that go with them. The shell's implementation works on real files;
// tests use one in memory that can fail on demand.
class FileStore {
 public:
  enum class ReadStatus { Ok, Missing, Failed };
  struct ReadResult {
    ReadStatus Status = ReadStatus::Missing;
    std::string Bytes;
    bool ReadOnly = false;  // the file's read-only attribute: it is not to be replaced
  };

  virtual ~FileStore() = default;
  virtual ReadResult Read(const std::filesystem::path& file) = 0;
  // Creates or truncates file and writes all of bytes to disk; false on any failure.
  virtual bool WriteAll(const std::filesystem::path& file, std::string_view bytes) = 0;
  // Puts source in target's place in one step, replacing target and keeping its
  // attributes (a hidden file stays hidden); false on failure.
  virtual bool Replace(const std::filesystem::path& source, const std::filesystem::path& target) = 0;
  // Removes file, read-only or not; a failure is ignored.
  virtual void Remove(const std::filesystem::path& file) = 0;
  // The files whose paths match pattern, whose file name holds one "*".
  virtual std::vector<std::filesystem::path> Find(const std::filesystem::path& pattern) = 0;
  virtual std::uint32_t ProcessId() const = 0;
  virtual const TextCodec& Codec() const = 0;
};

// One key from a profile file; empty when the file, section or key is missing or
// the file cannot be read.
std::string ReadIniValue(FileStore& store, std::string_view section, std::string_view key,
                         const std::filesystem::path& file);

// Reads the file once and answers, for each key of section asked afterwards,
// its value as ReadIniValue gives it. The keys listed are found in one walk over
// the file as it is read; any other key asked costs a walk of its own. Memory
// stays the file's bytes and its longest line, however many lines it has.
// store must outlive the reader.
std::function<std::string(std::string_view key)> IniSectionReader(FileStore& store, std::string_view section,
                                                                  const std::filesystem::path& file,
                                                                  std::span<const std::string_view> keys = {});

// Stores one key in a profile file, creating the file, section or key as needed.
// The new contents go to a temporary file of a name of their own beside it, which
// then replaces the file in one step: a failure at any point leaves the old file
// as it was. A file that exists but cannot be read, or that is read-only, is not
// replaced. Returns whether the value was stored.
bool WriteIniValue(FileStore& store, std::string_view section, std::string_view key, std::string_view value,
                   const std::filesystem::path& file);

// Stores several keys of one section in one replacement of the file: either every
// entry is stored or the file stays as it was. Every entry is checked before
// anything is written, so a value that would break the file writes nothing.
// Temporary files that earlier saves left behind (a crash, a power cut) are
// removed first.
bool WriteIniValues(FileStore& store, std::string_view section, std::span<const ProfileEntry> entries,
                    const std::filesystem::path& file);

// The temporary file a save writes beside file: "Orbisette.ini.<process>-<n>.tmp",
// so no leftover of another process or an earlier save can stand in its way.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& file, std::uint32_t processId,
                                       std::uint32_t sequence);

// Whether candidate is a temporary file a save of file wrote, by this version or
// an earlier one ("Orbisette.ini.tmp").
bool IsTemporaryPathFor(const std::filesystem::path& file, const std::filesystem::path& candidate);

}  // namespace orbisette
