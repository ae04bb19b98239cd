#include "settings/profile_file.h"

#include <atomic>
#include <memory>
#include <utility>

namespace orbisette {
namespace {

// How the file's bytes hold its text, told by its first bytes as the platform
// tells it: a UTF-16 or UTF-8 byte-order mark, or none for the ANSI code page.
enum class Form { Ansi, Utf8, Utf16Le, Utf16Be };

struct Layout {
  Form Kind = Form::Ansi;
  std::size_t BodyBegin = 0;  // after the byte-order mark
};

Layout LayoutOf(std::string_view contents) {
  const auto startsWith = [&](std::string_view mark) { return contents.substr(0, mark.size()) == mark; };
  if (startsWith("\xFF\xFE")) return {Form::Utf16Le, 2};
  if (startsWith("\xFE\xFF")) return {Form::Utf16Be, 2};
  if (startsWith("\xEF\xBB\xBF")) return {Form::Utf8, 3};
  return {Form::Ansi, 0};
}

bool IsUtf16(Form kind) { return kind == Form::Utf16Le || kind == Form::Utf16Be; }

// Whether a UTF-16 file ends in half a unit, which the platform reads as the
// character of that byte.
bool HasOddLastByte(std::string_view contents, const Layout& layout) {
  return IsUtf16(layout.Kind) && (contents.size() - layout.BodyBegin) % 2 == 1;
}

// One code unit: a byte, or two bytes of UTF-16 (an odd last byte on its own).
char16_t UnitAt(std::string_view contents, std::size_t pos, Form kind) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(contents[i])); };
  if (pos + 1 == contents.size()) return static_cast<char16_t>(byte(pos));
  switch (kind) {
    case Form::Utf16Le: return static_cast<char16_t>(byte(pos) | byte(pos + 1) << 8);
    case Form::Utf16Be: return static_cast<char16_t>(byte(pos) << 8 | byte(pos + 1));
    default: return static_cast<char16_t>(byte(pos));
  }
}

std::u16string Decode(std::string_view raw, Form kind, const TextCodec& codec) {
  if (kind == Form::Ansi) return codec.ToUtf16(TextEncoding::Ansi, raw);
  if (kind == Form::Utf8) return codec.ToUtf16(TextEncoding::Utf8, raw);
  std::u16string text;
  text.reserve(raw.size() / 2);
  for (std::size_t i = 0; i < raw.size(); i += 2) text.push_back(UnitAt(raw, i, kind));
  return text;
}

// ANSI text (names and values as the program holds them) in the file's form.
std::string Encode(std::string_view ansi, Form kind, const TextCodec& codec) {
  if (kind == Form::Ansi) return std::string(ansi);
  const std::u16string text = codec.ToUtf16(TextEncoding::Ansi, ansi);
  if (kind == Form::Utf8) return codec.FromUtf16(TextEncoding::Utf8, text);
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    const char low = static_cast<char>(c & 0xFF);
    const char high = static_cast<char>(c >> 8);
    if (kind == Form::Utf16Le)
      bytes.append({low, high});
    else
      bytes.append({high, low});
  }
  return bytes;
}

// The bytes of the character at pos. In the ANSI code page the platform takes a
// lead byte and whatever byte follows it, but a NUL, as one character, so a lead
// byte with no trail can swallow a CR, a LF, an "=" or a blank; in UTF-8, broken
// sequences never take an ASCII byte, and all that matters here is ASCII.
std::size_t CharSize(std::string_view contents, std::size_t pos, Form kind, const TextCodec& codec) {
  if (IsUtf16(kind)) return pos + 1 < contents.size() ? 2 : 1;
  const bool pair =
      kind == Form::Ansi && codec.IsLeadByte(contents[pos]) && pos + 1 < contents.size() && contents[pos + 1] != '\0';
  return pair ? 2 : 1;
}

// Whether ANSI text ends in a lead byte with nothing after it, which would take
// the line end written after it.
bool EndsInLoneLeadByte(std::string_view ansi, const TextCodec& codec) {
  std::size_t pos = 0, last = 0;
  for (; pos < ansi.size(); pos += CharSize(ansi, pos, Form::Ansi, codec)) last = pos;
  return !ansi.empty() && last + 1 == ansi.size() && codec.IsLeadByte(ansi[last]);
}

// One line: where its text and its line end sit in the contents, so untouched
// lines are copied byte for byte, and its text as the platform reads it.
struct Line {
  std::size_t Begin = 0;
  std::size_t TextEnd = 0;  // where the line end starts
  std::size_t End = 0;      // after the line end
  std::u16string Text;
};

struct Document {
  Layout Where;
  std::vector<Line> Lines;
};

// Lines end at LF, CRLF or a CR on its own, as the platform cuts them.
Document Parse(std::string_view contents, const TextCodec& codec) {
  Document doc{LayoutOf(contents), {}};
  const Form kind = doc.Where.Kind;
  const auto isLineEnd = [&](std::size_t pos) {
    return UnitAt(contents, pos, kind) == u'\r' || UnitAt(contents, pos, kind) == u'\n';
  };
  std::size_t pos = doc.Where.BodyBegin;
  while (pos < contents.size()) {
    std::size_t textEnd = pos;
    while (textEnd < contents.size() && !isLineEnd(textEnd)) textEnd += CharSize(contents, textEnd, kind, codec);
    std::size_t end = textEnd;
    if (end < contents.size()) {
      const bool cr = UnitAt(contents, end, kind) == u'\r';
      end += CharSize(contents, end, kind, codec);
      if (cr && end < contents.size() && UnitAt(contents, end, kind) == u'\n')
        end += CharSize(contents, end, kind, codec);
    }
    doc.Lines.push_back({pos, textEnd, end, Decode(contents.substr(pos, textEnd - pos), kind, codec)});
    pos = end;
  }
  return doc;
}

// The platform's blanks around names and values: not CR or LF, which end lines,
// and not the full-width space of code page 932, which is part of a name.
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == 0x1A; }

// The same on ANSI text: the blanks are ASCII, never the trail byte of a character.
std::string_view TrimAnsi(std::string_view s) {
  while (!s.empty() && IsBlank(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && IsBlank(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Names and values end at a NUL, after the blanks around them are dropped: "k \0x"
// is the key "k ".
std::u16string_view UpToNul(std::u16string_view s) { return s.substr(0, s.find(u'\0')); }

char16_t FoldAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c; }

// The platform folds ASCII letters only: full-width, Greek or Cyrillic letters
// of different case are different names.
bool NamesMatch(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// A section or key name as a caller passes it: ANSI text up to a NUL, blanks
// around it dropped.
std::u16string PassedName(std::string_view name, const TextCodec& codec) {
  return std::u16string(Trim(codec.ToUtf16(TextEncoding::Ansi, name.substr(0, name.find('\0')))));
}

// Every line that is not blank or a section header is a key line to the
// platform: ";" comment lines, lines without "=", and "[" lines without "]".
enum class LineKind { Blank, Section, Key };

struct ParsedLine {
  LineKind Kind = LineKind::Blank;
  std::u16string_view Name;
  std::optional<std::u16string_view> Value;  // nullopt when the line has no "="
};

ParsedLine ParseLine(std::u16string_view line) {
  const std::u16string_view t = Trim(line);
  if (t.empty()) return {};
  if (const std::size_t close = t.rfind(u']'); t.front() == u'[' && close != std::u16string_view::npos) {
    return {LineKind::Section, UpToNul(Trim(t.substr(1, close - 1))), std::nullopt};
  }
  const std::size_t eq = t.find(u'=');
  if (eq == std::u16string_view::npos) return {LineKind::Key, UpToNul(t), std::nullopt};
  return {LineKind::Key, UpToNul(Trim(t.substr(0, eq))), UpToNul(Trim(t.substr(eq + 1)))};
}

// Where key sits in the file: the index of its line, or of the last line of the
// first matching section when the key is missing there. Only the first section
// of a name counts; lines before the first header form a section named "".
struct Location {
  std::optional<std::size_t> KeyLine;
  std::optional<std::size_t> SectionEnd;  // index of the section's last non-blank line
};

Location Locate(const std::vector<Line>& lines, std::u16string_view section, std::u16string_view key) {
  Location where;
  bool inSection = section.empty();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const ParsedLine line = ParseLine(lines[i].Text);
    if (line.Kind == LineKind::Section) {
      if (inSection) break;  // the first matching section has ended
      inSection = !section.empty() && NamesMatch(line.Name, section);
      if (inSection) where.SectionEnd = i;
      continue;
    }
    if (!inSection || line.Kind == LineKind::Blank) continue;
    where.SectionEnd = i;
    if (line.Kind == LineKind::Key && NamesMatch(line.Name, key)) {
      where.KeyLine = i;
      break;
    }
  }
  return where;
}

// The value as the platform's ANSI read returns it into a buffer of 256: at most
// 255 characters are copied; a quoted value loses its opening quote, and its last
// copied character when the rest fitted the buffer (normally the closing quote).
// The copy then becomes ANSI text of at most 255 bytes, whole characters only.
std::string ValueAsAnsi(std::u16string_view value, const TextCodec& codec) {
  constexpr std::size_t BufferSize = MaxProfileValueBytes + 1;
  const bool quoted =
      value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front();
  if (quoted) value.remove_prefix(1);
  const bool dropLast = quoted && value.size() <= BufferSize;
  value = value.substr(0, BufferSize - 1);
  if (dropLast && !value.empty()) value.remove_suffix(1);

  std::string text = codec.FromUtf16(TextEncoding::Ansi, value);
  if (text.size() <= MaxProfileValueBytes) return text;
  // The longest run of leading characters whose ANSI form fits.
  std::size_t fits = 0;
  std::size_t tooLong = value.size();
  while (tooLong - fits > 1) {
    const std::size_t mid = fits + (tooLong - fits) / 2;
    if (codec.FromUtf16(TextEncoding::Ansi, value.substr(0, mid)).size() <= MaxProfileValueBytes)
      fits = mid;
    else
      tooLong = mid;
  }
  return codec.FromUtf16(TextEncoding::Ansi, value.substr(0, fits));
}

// The first line end in the file, so that added lines end the same way.
std::string LineEndOf(std::string_view contents, const Document& doc, const TextCodec& codec) {
  for (const Line& line : doc.Lines) {
    if (line.End > line.TextEnd) return std::string(contents.substr(line.TextEnd, line.End - line.TextEnd));
  }
  return Encode("\r\n", doc.Where.Kind, codec);
}

// Where the key's name ends in a key line's bytes: before the blanks ahead of the
// first "=", or of the line's end when it has none.
std::size_t KeyNameEnd(std::string_view contents, const Line& line, Form kind, const TextCodec& codec) {
  const std::string_view text = contents.substr(0, line.TextEnd);
  std::size_t nameEnd = line.Begin;
  for (std::size_t pos = line.Begin; pos < line.TextEnd;) {
    const std::size_t size = CharSize(text, pos, kind, codec);
    const bool single = size == 1 || IsUtf16(kind);
    if (single && UnitAt(contents, pos, kind) == u'=') break;
    if (!single || !IsBlank(UnitAt(contents, pos, kind))) nameEnd = pos + size;
    pos += size;
  }
  return nameEnd;
}

// The line end to write after line when it has none: twice when its last byte is
// a lead byte, which takes the first.
std::string EndFor(std::string_view contents, const Line& line, Form kind, const std::string& eol,
                   const TextCodec& codec) {
  const bool lone =
      kind == Form::Ansi && EndsInLoneLeadByte(contents.substr(line.Begin, line.TextEnd - line.Begin), codec);
  return lone ? eol + eol : eol;
}

bool Breaks(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

// Whether a name or the value would break the file's lines.
bool BreaksTheFile(std::string_view section, std::string_view key, std::string_view value,
                   const std::u16string& sectionName, const std::u16string& keyName, const TextCodec& codec) {
  return sectionName.empty() || keyName.empty() || Breaks(section) || Breaks(key) || Breaks(value) ||
         keyName.find(u'=') != std::u16string::npos || sectionName.find(u']') != std::u16string::npos ||
         keyName.front() == u';' || keyName.front() == u'[' || EndsInLoneLeadByte(section, codec) ||
         EndsInLoneLeadByte(key, codec) || EndsInLoneLeadByte(value, codec);
}

// An odd last byte of a UTF-16 file is written out as the whole character the
// platform reads it as, so that anything after it stays in step.
std::string_view WithOddLastBytePadded(std::string_view contents, std::string& padded) {
  const Layout layout = LayoutOf(contents);
  if (!HasOddLastByte(contents, layout)) return contents;
  const char odd = contents.back();
  padded = std::string(contents.substr(0, contents.size() - 1));
  padded.append(layout.Kind == Form::Utf16Le ? std::string{odd, '\0'} : std::string{'\0', odd});
  return padded;
}

// Same line, same spelling of the key and the same line end; new value.
std::string WithKeyLineRewritten(std::string_view contents, const Document& doc, const Line& line, std::string_view key,
                                 std::string_view value, const TextCodec& codec) {
  const Form kind = doc.Where.Kind;
  const std::string_view head = contents.substr(line.Begin, KeyNameEnd(contents, line, kind, codec) - line.Begin);
  std::string out(contents.substr(0, line.Begin));
  if (kind == Form::Ansi && EndsInLoneLeadByte(head, codec)) {
    // A lead byte ending the name would take the "=": the key as passed, after the indentation.
    out.append(head.substr(0, head.size() - TrimAnsi(head).size()));  // it ends in the lead byte, not a blank
    out.append(TrimAnsi(key));
  } else {
    out.append(head);
  }
  // Built by appending: GCC 12 warns falsely (-Wrestrict) on "=" + a string here.
  std::string assignment(1, '=');
  out.append(Encode(assignment.append(value), kind, codec));
  out.append(contents.substr(line.TextEnd));
  return out;
}

// A new key after the last line of its section.
std::string WithKeyLineAdded(std::string_view contents, const Document& doc, const Line& last,
                             const std::string& keyLine, const std::string& eol, const TextCodec& codec) {
  const Form kind = doc.Where.Kind;
  std::string out(contents.substr(0, last.End));
  if (last.End == last.TextEnd) out.append(EndFor(contents, last, kind, eol, codec));  // last line had no line end
  out.append(Encode(keyLine, kind, codec)).append(eol);
  out.append(contents.substr(last.End));
  return out;
}

// A new section with the key at the end of the file.
std::string WithSectionAppended(std::string_view contents, const Document& doc, std::string_view section,
                                const std::string& keyLine, const std::string& eol, const TextCodec& codec) {
  const Form kind = doc.Where.Kind;
  std::string out(contents);
  if (!doc.Lines.empty() && doc.Lines.back().End == doc.Lines.back().TextEnd) {
    out.append(EndFor(contents, doc.Lines.back(), kind, eol, codec));
  }
  std::string header(1, '[');
  header.append(TrimAnsi(section)).append(1, ']');
  out.append(Encode(header, kind, codec)).append(eol);
  out.append(Encode(keyLine, kind, codec)).append(eol);
  return out;
}

std::string ValueIn(const Document& doc, std::u16string_view section, std::string_view key, const TextCodec& codec) {
  const Location where = Locate(doc.Lines, section, PassedName(key, codec));
  if (!where.KeyLine) return {};
  const ParsedLine line = ParseLine(doc.Lines[*where.KeyLine].Text);
  return ValueAsAnsi(line.Value.value_or(std::u16string_view{}), codec);
}

}  // namespace

std::string ReadProfileValue(std::string_view contents, std::string_view section, std::string_view key,
                             const TextCodec& codec) {
  return ValueIn(Parse(contents, codec), PassedName(section, codec), key, codec);
}

std::optional<std::string> WithProfileValue(std::string_view contents, std::string_view section, std::string_view key,
                                            std::string_view value, const TextCodec& codec) {
  const std::u16string sectionName = PassedName(section, codec);
  const std::u16string keyName = PassedName(key, codec);
  if (BreaksTheFile(section, key, value, sectionName, keyName, codec)) return std::nullopt;
  std::string padded;
  contents = WithOddLastBytePadded(contents, padded);
  const Document doc = Parse(contents, codec);
  const Location where = Locate(doc.Lines, sectionName, keyName);
  const std::string eol = LineEndOf(contents, doc, codec);
  const std::string keyLine = std::string(TrimAnsi(key)) + "=" + std::string(value);
  if (where.KeyLine) return WithKeyLineRewritten(contents, doc, doc.Lines[*where.KeyLine], key, value, codec);
  if (where.SectionEnd) return WithKeyLineAdded(contents, doc, doc.Lines[*where.SectionEnd], keyLine, eol, codec);
  return WithSectionAppended(contents, doc, section, keyLine, eol, codec);
}

std::filesystem::path TemporaryPathFor(const std::filesystem::path& file, std::uint32_t processId,
                                       std::uint32_t sequence) {
  std::filesystem::path temp = file;
  std::string tag(1, '.');
  tag.append(std::to_string(processId)).append(1, '-').append(std::to_string(sequence)).append(".tmp");
  temp += tag;
  return temp;
}

bool IsTemporaryPathFor(const std::filesystem::path& file, const std::filesystem::path& candidate) {
  using Text = std::filesystem::path::string_type;
  const Text name = candidate.filename().native();
  const Text prefix = file.filename().native() + Text(1, '.');
  const Text suffix = std::filesystem::path(".tmp").native();
  if (name == file.filename().native() + suffix) return true;  // the one name earlier versions used
  if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return false;
  }
  // "<digits>-<digits>" between them.
  const Text middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  const std::size_t dash = middle.find('-');
  if (dash == 0 || dash == Text::npos || dash + 1 == middle.size()) return false;
  for (std::size_t i = 0; i < middle.size(); ++i) {
    if (i != dash && (middle[i] < '0' || middle[i] > '9')) return false;
  }
  return true;
}

std::string ReadIniValue(FileStore& store, std::string_view section, std::string_view key,
                         const std::filesystem::path& file) {
  return IniSectionReader(store, section, file)(key);
}

std::function<std::string(std::string_view key)> IniSectionReader(FileStore& store, std::string_view section,
                                                                  const std::filesystem::path& file) {
  const FileStore::ReadResult read = store.Read(file);
  const TextCodec& codec = store.Codec();
  const std::string_view contents = read.Status == FileStore::ReadStatus::Ok ? read.Bytes : std::string_view();
  auto doc = std::make_shared<const Document>(Parse(contents, codec));
  return [doc, name = PassedName(section, codec), &codec](std::string_view key) {
    return ValueIn(*doc, name, key, codec);
  };
}

bool WriteIniValue(FileStore& store, std::string_view section, std::string_view key, std::string_view value,
                   const std::filesystem::path& file) {
  const ProfileEntry entry{key, value};
  return WriteIniValues(store, section, std::span<const ProfileEntry>(&entry, 1), file);
}

bool WriteIniValues(FileStore& store, std::string_view section, std::span<const ProfileEntry> entries,
                    const std::filesystem::path& file) {
  FileStore::ReadResult read = store.Read(file);
  // Never replace what we could not read, nor a file its owner made read-only.
  if (read.Status == FileStore::ReadStatus::Failed || read.ReadOnly) return false;
  std::string updated = std::move(read.Bytes);
  for (const ProfileEntry& entry : entries) {
    std::optional<std::string> next = WithProfileValue(updated, section, entry.Key, entry.Value, store.Codec());
    if (!next) return false;
    updated = std::move(*next);
  }

  std::filesystem::path pattern = file;
  pattern += "*.tmp";
  for (const std::filesystem::path& leftover : store.Find(pattern)) {
    if (IsTemporaryPathFor(file, leftover)) store.Remove(leftover);
  }
  // A leftover that could not be removed only costs a name: the next one is tried.
  static std::atomic<std::uint32_t> sequence{0};
  for (int attempt = 0; attempt < 3; ++attempt) {
    const std::filesystem::path temp = TemporaryPathFor(file, store.ProcessId(), ++sequence);
    if (!store.WriteAll(temp, updated)) {
      store.Remove(temp);
      continue;
    }
    if (store.Replace(temp, file)) return true;
    store.Remove(temp);
    return false;
  }
  return false;
}

}  // namespace orbisette
