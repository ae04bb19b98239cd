#include "profile_corpus.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <utility>

namespace e2e {
namespace {

using namespace std::string_literals;

// A linear congruential generator of our own: the same corpus with every
// standard library.
class Dice {
 public:
  explicit Dice(std::uint64_t seed) : State(seed * 2654435761u + 1) {}
  std::size_t Roll(std::size_t sides) {
    State = State * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::size_t>((State >> 33) % sides);
  }
  template <typename T>
  const T& Pick(const std::vector<T>& from) {
    return from[Roll(from.size())];
  }

 private:
  std::uint64_t State;
};

const std::string LongKey(300, 'k');
const std::string Kanji = "\x88\xDA";                          // 移
const std::string Speed = "\x88\xDA\x93\xAE\x91\xAC\x93\x78";  // 移動速度

// "[ソ]" ends in the trail byte "\"; the trail byte of "ゾ" is "]", so "[ゾ" is no header.
// clang-format off
const std::vector<std::string> Headers = {
    "[S]", "[S]", "[S]", "[s]", "[ S ]", "[\tS\v]", "[S", " [S] junk", "[S]]", "[S]x]", "[T]", "[]", "[Section]",
    "[\x83\x5C]", "[\x83\x5D", "[S\x1A]", "[\x81\x40S]", "[S \0x]"s, "[S\0]"s};
const std::vector<std::string> Names = {
    "k", "k", "k", "K", "key", ";k", "noeq", "new", Speed, Speed, "\x94\xBD\x9D\x9B", "BGM\x8B\xE6\x95\xAA",
    "\x82\x8B", "k\x81\x40", "\xD8\xCB\xDF\xB0\xC4", LongKey, "[k"};
const std::vector<std::string> Blanks = {
    "", "", "", "", "", "", "", "", "", "", " ", "\t", "\v", "\f", "\x1A", "\x81\x40", "\0"s, " \0x"s, "\r"};
const std::vector<std::string> Separators = {"=", "=", "=", " = ", "", "=="};
const std::vector<std::string> Values = {
    "1", " 42 ", "12.5", "\"q\"", "'s'", "\"half", "'mixed\"", "a=b", "C:\\\x89\xB9\x8A\x79\\\x8B\xC8 1.mp3",
    std::string(300, 'v'), std::string(254, 'a') + Kanji, std::string(253, 'a') + Kanji,
    "\"" + std::string(255, 'a') + "\"", "\"" + std::string(256, 'a') + "\"", "'" + std::string(120, 'a') + Kanji + "'",
    "v\0w"s, "\x81\x40v\x81\x40", "", "v\x1A", "\xB1\xB2\xB3", "\x87\x40", "\x87\x90\x81\xE0\xFA\x54\x81\xCA",
    std::string(40000, 'x')};
// Bytes that are no code page 932 character: only in files kept in that code page.
const std::vector<std::string> AnsiOnlyValues = {"v\x85w", "x\x88", "\x88=y", "\x80\xA0\xFD"};
const std::vector<std::string> OtherLines = {"", "  ", ";c=1", "; comment", "\x1A", "noeq", "=v", "\0k=1"s};
// clang-format on
const std::vector<std::string> LineEnds = {"\r\n", "\n", "\r"};

enum class Form { Ansi, Utf8, Utf16Le, Utf16Be };

std::string KeyLine(Dice& dice, Form form) {
  std::string value = dice.Roll(8) == 0 && form == Form::Ansi ? dice.Pick(AnsiOnlyValues) : dice.Pick(Values);
  return dice.Pick(Blanks) + dice.Pick(Names) + dice.Pick(Blanks) + dice.Pick(Separators) + dice.Pick(Blanks) + value +
         dice.Pick(Blanks);
}

// The same lines as an editor would save them, converted by the platform's own
// functions from code page 932: UTF-8 or UTF-16 (little-endian as Windows holds
// it in memory, big-endian with each unit's bytes swapped), each with its mark.
std::string InForm(const std::string& text, Form form) {
  if (form == Form::Ansi) return text;
  std::wstring wide(text.size(), L'\0');
  wide.resize(static_cast<std::size_t>(::MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()),
                                                             wide.data(), static_cast<int>(wide.size()))));
  if (form == Form::Utf8) {
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(
        static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                                       utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
    return "\xEF\xBB\xBF" + utf8;
  }
  std::string units(wide.size() * 2, '\0');
  std::memcpy(units.data(), wide.data(), units.size());
  if (form == Form::Utf16Be) {
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) std::swap(units[i], units[i + 1]);
  }
  return (form == Form::Utf16Le ? "\xFF\xFE" : "\xFE\xFF") + units;
}

}  // namespace

std::vector<std::string> ProfileCorpus(std::size_t count) {
  std::vector<std::string> corpus;
  for (std::size_t i = 0; i < count; ++i) {
    Dice dice(i);
    const Form form = std::vector<Form>{Form::Ansi, Form::Ansi, Form::Utf8, Form::Utf16Le, Form::Utf16Be}[i % 5];
    const std::size_t ends = dice.Roll(4);  // one kind of line end, or (3) a mix
    const std::size_t lines = 4 + dice.Roll(11);
    std::string text;
    for (std::size_t n = 0; n < lines; ++n) {
      const std::size_t kind = n == 0 && dice.Roll(5) != 0 ? 0 : dice.Roll(20);
      if (n == 0 && kind == 0 && dice.Roll(2) == 0)
        text += "[S]";
      else
        text += kind < 4 ? dice.Pick(Headers) : kind < 18 ? KeyLine(dice, form) : dice.Pick(OtherLines);
      if (n + 1 < lines || dice.Roll(3) != 0) text += LineEnds[ends == 3 ? dice.Roll(3) : ends];
    }
    if (form == Form::Ansi && dice.Roll(8) == 0) text += "\x1A";  // the end of a DOS file
    std::string bytes = InForm(text, form);
    // An odd last byte, on a line of its own: the platform reads its unit's other
    // byte from past the end of its buffer, whatever is there, so the byte ends a
    // line that names no key the tests ask for, whatever that other byte is.
    if ((form == Form::Utf16Le || form == Form::Utf16Be) && dice.Roll(8) == 0) {
      bytes += (form == Form::Utf16Le ? "\n\0x"s : "\0\nx"s);
    }
    corpus.push_back(std::move(bytes));
  }
  return corpus;
}

const std::vector<std::string>& CorpusSections() {
  static const std::vector<std::string> sections = {"S", "s\t", "T", "Section", "\x83\x5C"};
  return sections;
}

const std::vector<std::string>& CorpusKeys() {
  static const std::vector<std::string> keys = {
      "k",     "K ", ";k",   Speed, "\x94\xBD\x9D\x9B", "\x82\x8B", "k\x81\x40", "\xD8\xCB\xDF\xB0\xC4",
      LongKey, "[k", "noeq", "new"};
  return keys;
}

const std::vector<std::string>& CorpusWriteSections() {
  static const std::vector<std::string> sections = {"S", "s\t", "T", "Section"};
  return sections;
}

const std::vector<std::string>& CorpusWriteKeys() {
  static const std::vector<std::string> keys = {"k", "K ", Speed, "new", ";k", "noeq"};
  return keys;
}

CorpusWrite CorpusWriteFor(std::size_t i) {
  static const std::vector<std::string> sections = {"S", "T", "Section"};
  static const std::vector<std::string> keys = {"k", Speed, "new"};
  static const std::vector<std::string> values = {" 7", "\x89\xB9\x8A\x79", "\"q\""};
  return {sections[i % 3], keys[(i / 3) % 3], values[(i / 9) % 3]};
}

}  // namespace e2e
