#include "settings/profile_file.h"

#include <utility>
#include <vector>

namespace orbisette {
namespace {

// One line of the file: its text without the line end, and where it sits in the
// contents (the line end included), so untouched lines are copied byte for byte.
struct Line {
  std::string_view text;
  std::size_t begin = 0;
  std::size_t end = 0;  // one past the line end
};

std::vector<Line> SplitLines(std::string_view contents) {
  std::vector<Line> lines;
  // A byte-order mark some editors put first is not part of the first line.
  std::size_t pos = contents.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  while (pos < contents.size()) {
    std::size_t nl = contents.find('\n', pos);
    std::size_t next = nl == std::string_view::npos ? contents.size() : nl + 1;
    std::size_t textEnd = nl == std::string_view::npos ? contents.size() : nl;
    if (textEnd > pos && contents[textEnd - 1] == '\r') --textEnd;
    lines.push_back({contents.substr(pos, textEnd - pos), pos, next});
    pos = next;
  }
  return lines;
}

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// Lead bytes of code page 932 double-byte characters: the byte after one is a
// trail byte and may look like an ASCII letter without being one.
bool IsLeadByte932(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool NamesMatch(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  bool trail = false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (trail) {
      if (a[i] != b[i]) return false;
      trail = false;
      continue;
    }
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    trail = IsLeadByte932(static_cast<unsigned char>(a[i]));
  }
  return true;
}

// The section name of a "[name]" line, or nullopt for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  std::string_view t = Trim(line);
  if (t.empty() || t.front() != '[') return std::nullopt;
  t.remove_prefix(1);
  std::size_t close = t.rfind(']');
  if (close != std::string_view::npos) t = t.substr(0, close);
  return Trim(t);
}

struct KeyLine {
  std::string_view name;
  std::optional<std::string_view> value;  // nullopt when the line has no "="
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
  std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '[') return std::nullopt;
  std::size_t eq = t.find('=');
  if (eq == std::string_view::npos) return KeyLine{t, std::nullopt};
  return KeyLine{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

// Where key sits in the file: the index of its line, or of the last line of the
// first matching section when the key is missing there.
struct Location {
  std::optional<std::size_t> keyLine;
  std::optional<std::size_t> sectionEnd;  // index of the section's last non-blank line
};

Location Locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
  Location where;
  bool inSection = false;
  bool firstSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (auto name = SectionName(lines[i].text)) {
      inSection = NamesMatch(*name, section);
      firstSection = inSection && !where.sectionEnd.has_value();
      if (firstSection) where.sectionEnd = i;
      continue;
    }
    if (!inSection) continue;
    if (firstSection && !Trim(lines[i].text).empty()) where.sectionEnd = i;
    if (auto kv = ParseKeyLine(lines[i].text); kv && NamesMatch(kv->name, key)) {
      where.keyLine = i;
      return where;
    }
  }
  return where;
}

std::string_view LineEndOf(std::string_view contents) {
  std::size_t nl = contents.find('\n');
  if (nl != std::string_view::npos && (nl == 0 || contents[nl - 1] != '\r')) return "\n";
  return "\r\n";
}

bool Breaks(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

}  // namespace

std::string ReadProfileValue(std::string_view contents, std::string_view section, std::string_view key) {
  const std::vector<Line> lines = SplitLines(contents);
  const Location where = Locate(lines, section, key);
  if (!where.keyLine) return {};
  std::string_view value = ParseKeyLine(lines[*where.keyLine].text)->value.value_or(std::string_view{});
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  // Like the platform's buffer, the value ends at a NUL byte.
  value = value.substr(0, value.find('\0'));
  return std::string(value.substr(0, MaxProfileValueBytes));
}

std::optional<std::string> WithProfileValue(std::string_view contents, std::string_view section, std::string_view key,
                                            std::string_view value) {
  if (Trim(section).empty() || Trim(key).empty() || Breaks(section) || Breaks(key) || Breaks(value) ||
      key.find('=') != std::string_view::npos || section.find(']') != std::string_view::npos ||
      Trim(key).front() == ';' || Trim(key).front() == '[') {
    return std::nullopt;
  }
  const std::vector<Line> lines = SplitLines(contents);
  const Location where = Locate(lines, section, key);
  const std::string_view eol = LineEndOf(contents);
  std::string out;
  out.reserve(contents.size() + key.size() + value.size() + section.size() + 8);

  if (where.keyLine) {
    // Same line, same spelling of the key and the same line end; new value.
    const Line& line = lines[*where.keyLine];
    const std::size_t keyStart = line.text.find_first_not_of(" \t");
    const std::size_t eq = line.text.find('=');
    std::string_view head = eq == std::string_view::npos ? Trim(line.text) : Trim(line.text.substr(0, eq));
    out.append(contents.substr(0, line.begin));
    out.append(line.text.substr(0, keyStart));
    out.append(head).append("=").append(value);
    out.append(contents.substr(line.begin + line.text.size(), line.end - line.begin - line.text.size()));
    out.append(contents.substr(line.end));
    return out;
  }

  std::string keyLine = std::string(key) + "=" + std::string(value);
  if (where.sectionEnd) {
    const Line& last = lines[*where.sectionEnd];
    out.append(contents.substr(0, last.end));
    if (last.end == last.begin + last.text.size()) out.append(eol);  // last line had no line end
    out.append(keyLine).append(eol);
    out.append(contents.substr(last.end));
    return out;
  }

  out.append(contents);
  if (!contents.empty() && contents.back() != '\n') out.append(eol);
  out.append("[").append(section).append("]").append(eol);
  out.append(keyLine).append(eol);
  return out;
}

std::filesystem::path TemporaryPathFor(const std::filesystem::path& file) {
  std::filesystem::path temp = file;
  temp += ".tmp";
  return temp;
}

std::string ReadIniValue(FileStore& store, std::string_view section, std::string_view key,
                         const std::filesystem::path& file) {
  FileStore::ReadResult read = store.Read(file);
  if (read.status != FileStore::ReadStatus::Ok) return {};
  return ReadProfileValue(read.bytes, section, key);
}

bool WriteIniValue(FileStore& store, std::string_view section, std::string_view key, std::string_view value,
                   const std::filesystem::path& file) {
  const ProfileEntry entry{key, value};
  return WriteIniValues(store, section, std::span<const ProfileEntry>(&entry, 1), file);
}

bool WriteIniValues(FileStore& store, std::string_view section, std::span<const ProfileEntry> entries,
                    const std::filesystem::path& file) {
  FileStore::ReadResult read = store.Read(file);
  if (read.status == FileStore::ReadStatus::Failed) return false;  // never replace what we could not read
  std::string updated = std::move(read.bytes);
  for (const ProfileEntry& entry : entries) {
    std::optional<std::string> next = WithProfileValue(updated, section, entry.Key, entry.Value);
    if (!next) return false;
    updated = std::move(*next);
  }
  const std::filesystem::path temp = TemporaryPathFor(file);
  if (!store.WriteAll(temp, updated)) {
    store.Remove(temp);
    return false;
  }
  if (!store.Replace(temp, file)) {
    store.Remove(temp);
    return false;
  }
  return true;
}

}  // namespace orbisette
