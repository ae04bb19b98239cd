#include "settings/profile_file.h"

#include <atomic>
#include <map>
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

// One line's place in the contents, so untouched lines are copied byte for byte.
struct LineSpan {
  std::size_t Begin = 0;
  std::size_t TextEnd = 0;  // where the line end starts
  std::size_t End = 0;      // after the line end
};

// Where the line starting at pos ends. Lines end at LF, CRLF or a CR on its own,
// as the platform cuts them.
LineSpan LineAt(std::string_view contents, std::size_t pos, Form kind, const TextCodec& codec) {
  const auto isLineEnd = [&](std::size_t at) {
    return UnitAt(contents, at, kind) == u'\r' || UnitAt(contents, at, kind) == u'\n';
  };
  std::size_t textEnd = pos;
  while (textEnd < contents.size() && !isLineEnd(textEnd)) textEnd += CharSize(contents, textEnd, kind, codec);
  std::size_t end = textEnd;
  if (end < contents.size()) {
    const bool cr = UnitAt(contents, end, kind) == u'\r';
    end += CharSize(contents, end, kind, codec);
    if (cr && end < contents.size() && UnitAt(contents, end, kind) == u'\n')
      end += CharSize(contents, end, kind, codec);
  }
  return {pos, textEnd, end};
}

// Hands each line and its text as the platform reads it to visit, in order,
// until visit returns false. One line's text is held at a time, so a file of
// many short lines costs no more memory than its longest line.
template <typename Visit>
void ForEachLine(std::string_view contents, const Layout& layout, const TextCodec& codec, Visit visit) {
  for (std::size_t pos = layout.BodyBegin; pos < contents.size();) {
    const LineSpan span = LineAt(contents, pos, layout.Kind, codec);
    if (!visit(span, Decode(contents.substr(pos, span.TextEnd - pos), layout.Kind, codec))) return;
    pos = span.End;
  }
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

// What one walk over the file learns of the first section of a name: for each
// key asked, its first line there and its value; the section's last non-blank
// line, where new keys go; and for a save, the file's last line and first line
// end. Only the first section of a name counts; lines before the first header
// form a section named "".
struct KeyFound {
  std::u16string Name;
  std::optional<LineSpan> Line;
  std::string Value;
};

struct SectionScan {
  std::vector<KeyFound> Keys;
  std::optional<LineSpan> SectionEnd;
  std::optional<LineSpan> LastLine;
  std::optional<LineSpan> FirstEnded;  // the first line with a line end
};

class SectionScanner {
 public:
  SectionScanner(std::u16string_view section, const TextCodec& codec, bool wholeFile)
      : Section(section), Codec(codec), WholeFile(wholeFile), InSection(section.empty()) {}

  bool operator()(const LineSpan& span, const std::u16string& text) {
    Found.LastLine = span;
    if (!Found.FirstEnded && span.End > span.TextEnd) Found.FirstEnded = span;
    if (Ended) return WholeFile;
    const ParsedLine line = ParseLine(text);
    if (line.Kind == LineKind::Section) {
      Ended = InSection;
      InSection = !Ended && !Section.empty() && NamesMatch(line.Name, Section);
      if (InSection) Found.SectionEnd = span;
      return !Ended || WholeFile;
    }
    if (!InSection || line.Kind == LineKind::Blank) return true;
    Found.SectionEnd = span;
    for (KeyFound& key : Found.Keys) {
      if (key.Line || !NamesMatch(line.Name, key.Name)) continue;
      key.Line = span;
      key.Value = ValueAsAnsi(line.Value.value_or(std::u16string_view{}), Codec);
    }
    return true;
  }

  SectionScan Found;

 private:
  std::u16string_view Section;
  const TextCodec& Codec;
  bool WholeFile;
  bool InSection;
  bool Ended = false;
};

// One walk over the contents for all of keys (ANSI names as callers pass them).
SectionScan ScanSection(std::string_view contents, std::u16string_view section, std::span<const std::string_view> keys,
                        const TextCodec& codec, bool wholeFile) {
  SectionScanner scanner(section, codec, wholeFile);
  for (std::string_view key : keys) scanner.Found.Keys.push_back({PassedName(key, codec), std::nullopt, {}});
  ForEachLine(contents, LayoutOf(contents), codec, std::ref(scanner));
  return std::move(scanner.Found);
}

// Where the key's name ends in a key line's text: before the blanks ahead of the
// first "=", or of the line's end when it has none.
std::size_t KeyNameEnd(std::string_view text, Form kind, const TextCodec& codec) {
  std::size_t nameEnd = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t size = CharSize(text, pos, kind, codec);
    const bool single = size == 1 || IsUtf16(kind);
    if (single && UnitAt(text, pos, kind) == u'=') break;
    if (!single || !IsBlank(UnitAt(text, pos, kind))) nameEnd = pos + size;
    pos += size;
  }
  return nameEnd;
}

// The line end to write after a line that has none: twice when its last byte is
// a lead byte, which takes the first.
std::string EndFor(std::string_view text, Form kind, const std::string& eol, const TextCodec& codec) {
  const bool lone = kind == Form::Ansi && EndsInLoneLeadByte(text, codec);
  return lone ? eol + eol : eol;
}

bool Breaks(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

// Whether a name or the value would break the file's lines.
bool BreaksTheFile(std::string_view section, const ProfileEntry& entry, const TextCodec& codec) {
  const std::u16string sectionName = PassedName(section, codec);
  const std::u16string keyName = PassedName(entry.Key, codec);
  return sectionName.empty() || keyName.empty() || Breaks(section) || Breaks(entry.Key) || Breaks(entry.Value) ||
         keyName.find(u'=') != std::u16string::npos || sectionName.find(u']') != std::u16string::npos ||
         keyName.front() == u';' || keyName.front() == u'[' || EndsInLoneLeadByte(section, codec) ||
         EndsInLoneLeadByte(entry.Key, codec) || EndsInLoneLeadByte(entry.Value, codec);
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

// A key line's text with a new value: the same spelling of the key, then "=" and
// the value. The line end after it stays.
std::string RewrittenKeyLine(std::string_view text, Form kind, const ProfileEntry& entry, const TextCodec& codec) {
  const std::string_view head = text.substr(0, KeyNameEnd(text, kind, codec));
  std::string out;
  if (kind == Form::Ansi && EndsInLoneLeadByte(head, codec)) {
    // A lead byte ending the name would take the "=": the key as passed, after the indentation.
    out.append(head.substr(0, head.size() - TrimAnsi(head).size()));  // it ends in the lead byte, not a blank
    out.append(TrimAnsi(entry.Key));
  } else {
    out.append(head);
  }
  // Built by appending: GCC 12 warns falsely (-Wrestrict) on "=" + a string here.
  std::string assignment(1, '=');
  out.append(Encode(assignment.append(entry.Value), kind, codec));
  return out;
}

// How the platform reads one line's text: its kind and name.
struct LineName {
  LineKind Kind = LineKind::Blank;
  std::u16string Name;
};

LineName NameOf(std::string_view text, Form kind, const TextCodec& codec) {
  const std::u16string decoded = Decode(text, kind, codec);
  const ParsedLine line = ParseLine(decoded);
  return {line.Kind, std::u16string(line.Name)};
}

bool SameKey(const LineName& a, const LineName& b) {
  return a.Kind == LineKind::Key && b.Kind == LineKind::Key && NamesMatch(a.Name, b.Name);
}

// A save's edits, settled entry by entry as one save per entry would settle them,
// from one walk over the file: key lines rewritten in place, new key lines after
// the section's last line (or in a new section at the end of the file), and a
// later entry finding what an earlier one wrote. Where an earlier edit would
// change how the file's own lines read to a later entry (a rewrite that changes
// a line's name, a lead byte taking the line end written after it, a header
// that does not read back), the plan gives up and the save walks once per entry.
struct Rewrite {
  LineSpan Span;
  std::string Text;
};

struct AddedLine {
  std::string Text;
  LineName Name;
};

struct SavePlan {
  std::string_view Contents;
  std::string_view Section;
  std::span<const ProfileEntry> Entries;
  const TextCodec& Codec;
  Form Kind = Form::Ansi;
  SectionScan Scan;
  std::string Eol;
  std::map<std::size_t, Rewrite> Rewrites;  // by where the line begins
  std::vector<AddedLine> Added;
  std::string Junction;  // the line end written after the line the added lines follow, when it had none
  bool NewSection = false;
};

SavePlan PlanFor(std::string_view contents, std::string_view section, std::span<const ProfileEntry> entries,
                 const TextCodec& codec) {
  std::vector<std::string_view> keys;
  for (const ProfileEntry& entry : entries) keys.push_back(entry.Key);
  const Form kind = LayoutOf(contents).Kind;
  SectionScan scan = ScanSection(contents, PassedName(section, codec), keys, codec, true);
  const std::optional<LineSpan>& ended = scan.FirstEnded;
  std::string eol =
      ended ? std::string(contents.substr(ended->TextEnd, ended->End - ended->TextEnd)) : Encode("\r\n", kind, codec);
  return {contents, section, entries, codec, kind, std::move(scan), std::move(eol), {}, {}, {}, false};
}

std::string_view CurrentText(const SavePlan& plan, const LineSpan& span) {
  const auto rewritten = plan.Rewrites.find(span.Begin);
  if (rewritten != plan.Rewrites.end()) return rewritten->second.Text;
  return plan.Contents.substr(span.Begin, span.TextEnd - span.Begin);
}

std::string HeaderText(const SavePlan& plan) {
  std::string header(1, '[');
  header.append(TrimAnsi(plan.Section)).append(1, ']');
  return Encode(header, plan.Kind, plan.Codec);
}

bool PlanRewrite(SavePlan& plan, const LineSpan& span, const ProfileEntry& entry, bool later) {
  const std::string_view before = CurrentText(plan, span);
  std::string after = RewrittenKeyLine(before, plan.Kind, entry, plan.Codec);
  const bool same = !later || SameKey(NameOf(before, plan.Kind, plan.Codec), NameOf(after, plan.Kind, plan.Codec));
  plan.Rewrites[span.Begin] = {span, std::move(after)};
  return same;
}

// The first added line goes after a line that may have no line end yet.
bool PlanJunction(SavePlan& plan, bool later) {
  const std::optional<LineSpan> anchor = plan.Scan.SectionEnd ? plan.Scan.SectionEnd : plan.Scan.LastLine;
  if (!anchor || anchor->End > anchor->TextEnd) return true;
  plan.Junction = EndFor(CurrentText(plan, *anchor), plan.Kind, plan.Eol, plan.Codec);
  return !later || plan.Junction == plan.Eol;
}

// Whether the added lines' CR ends would join a LF the next line starts with into
// one line end, so that the blank line after them is gone.
bool EndJoinsNextLine(const SavePlan& plan) {
  const std::size_t insertAt = plan.Scan.SectionEnd ? plan.Scan.SectionEnd->End : plan.Contents.size();
  return insertAt < plan.Contents.size() && UnitAt(plan.Contents, insertAt, plan.Kind) == u'\n' &&
         plan.Eol == Encode("\r", plan.Kind, plan.Codec);
}

bool PlanAddition(SavePlan& plan, const ProfileEntry& entry, bool later) {
  if (plan.Added.empty()) {
    if (!PlanJunction(plan, later) || (later && EndJoinsNextLine(plan))) return false;
    plan.NewSection = !plan.Scan.SectionEnd;
    if (plan.NewSection && later) {
      const LineName header = NameOf(HeaderText(plan), plan.Kind, plan.Codec);
      if (header.Kind != LineKind::Section || !NamesMatch(header.Name, PassedName(plan.Section, plan.Codec))) {
        return false;
      }
    }
  }
  std::string keyLine(TrimAnsi(entry.Key));
  keyLine.append(1, '=').append(entry.Value);
  std::string text = Encode(keyLine, plan.Kind, plan.Codec);
  LineName name = NameOf(text, plan.Kind, plan.Codec);
  plan.Added.push_back({std::move(text), std::move(name)});
  return !later || plan.Added.back().Name.Kind == LineKind::Key;
}

// One entry as its own save would store it; false when a later entry could no
// longer be settled from the walk.
bool PlanEntry(SavePlan& plan, std::size_t index) {
  const ProfileEntry& entry = plan.Entries[index];
  const bool later = index + 1 < plan.Entries.size();
  if (const std::optional<LineSpan> line = plan.Scan.Keys[index].Line) return PlanRewrite(plan, *line, entry, later);
  const LineName name{LineKind::Key, plan.Scan.Keys[index].Name};
  for (AddedLine& added : plan.Added) {
    if (!SameKey(added.Name, name)) continue;
    added.Text = RewrittenKeyLine(added.Text, plan.Kind, entry, plan.Codec);
    added.Name = NameOf(added.Text, plan.Kind, plan.Codec);
    return true;
  }
  return PlanAddition(plan, entry, later);
}

std::string Build(const SavePlan& plan) {
  const std::string_view contents = plan.Contents;
  const std::size_t insertAt = plan.Scan.SectionEnd ? plan.Scan.SectionEnd->End : contents.size();
  std::size_t extra = plan.Junction.size() + HeaderText(plan).size() + plan.Eol.size();
  for (const AddedLine& added : plan.Added) extra += added.Text.size() + plan.Eol.size();
  for (const auto& [begin, rewrite] : plan.Rewrites) extra += rewrite.Text.size();
  std::string out;
  out.reserve(contents.size() + extra);
  std::size_t copied = 0;
  for (const auto& [begin, rewrite] : plan.Rewrites) {
    out.append(contents.substr(copied, begin - copied)).append(rewrite.Text);
    copied = rewrite.Span.TextEnd;
  }
  out.append(contents.substr(copied, insertAt - copied));
  if (!plan.Added.empty()) {
    out.append(plan.Junction);
    if (plan.NewSection) out.append(HeaderText(plan)).append(plan.Eol);
    for (const AddedLine& added : plan.Added) out.append(added.Text).append(plan.Eol);
  }
  out.append(contents.substr(insertAt));
  return out;
}

}  // namespace

std::string ReadProfileValue(std::string_view contents, std::string_view section, std::string_view key,
                             const TextCodec& codec) {
  const std::span<const std::string_view> keys(&key, 1);
  return ScanSection(contents, PassedName(section, codec), keys, codec, false).Keys.front().Value;
}

std::optional<std::string> WithProfileValue(std::string_view contents, std::string_view section, std::string_view key,
                                            std::string_view value, const TextCodec& codec) {
  const ProfileEntry entry{key, value};
  return WithProfileValues(contents, section, std::span<const ProfileEntry>(&entry, 1), codec);
}

std::optional<std::string> WithProfileValues(std::string_view contents, std::string_view section,
                                             std::span<const ProfileEntry> entries, const TextCodec& codec) {
  for (const ProfileEntry& entry : entries) {
    if (BreaksTheFile(section, entry, codec)) return std::nullopt;
  }
  if (entries.empty()) return std::string(contents);
  std::string padded;
  contents = WithOddLastBytePadded(contents, padded);
  SavePlan plan = PlanFor(contents, section, entries, codec);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (PlanEntry(plan, i)) continue;
    // A walk per entry: each one on its own is settled from its walk.
    std::string updated(contents);
    for (const ProfileEntry& entry : entries) updated = *WithProfileValues(updated, section, {&entry, 1}, codec);
    return updated;
  }
  return Build(plan);
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
                                                                  const std::filesystem::path& file,
                                                                  std::span<const std::string_view> keys) {
  FileStore::ReadResult read = store.Read(file);
  const TextCodec& codec = store.Codec();
  auto contents = std::make_shared<const std::string>(read.Status == FileStore::ReadStatus::Ok ? std::move(read.Bytes)
                                                                                               : std::string());
  std::u16string name = PassedName(section, codec);
  SectionScan scan = ScanSection(*contents, name, keys, codec, false);
  std::vector<std::pair<std::string, std::string>> answers;
  for (std::size_t i = 0; i < keys.size(); ++i) answers.emplace_back(keys[i], std::move(scan.Keys[i].Value));
  return [contents, name = std::move(name), answers = std::move(answers), &codec](std::string_view key) {
    for (const auto& [known, value] : answers) {
      if (known == key) return value;
    }
    return ScanSection(*contents, name, std::span<const std::string_view>(&key, 1), codec, false).Keys.front().Value;
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
  const std::optional<std::string> written = WithProfileValues(read.Bytes, section, entries, store.Codec());
  if (!written) return false;
  read.Bytes = std::string();  // only the new contents are held while they are written
  const std::string& updated = *written;

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
