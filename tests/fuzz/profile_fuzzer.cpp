// Fuzzes the settings file's reader and writer on arbitrary file bytes (ANSI,
// UTF-8 or UTF-16 by their first bytes), with the sections, keys and values a
// user or a broken disk could put there. Properties: nothing crashes; a read fits
// the platform's buffer; a written value reads back as it reads from a file of its
// own (exactly, for a plain value); no other key changes; the bytes outside the
// one changed line stay as they were; the file grows by no more than the new line
// and section; writing the same again changes nothing.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <string>

#include "cp932_test_codec.h"
#include "fuzz_check.h"
#include "settings/profile_file.h"

namespace {

using orbisette::ReadProfileValue;
using orbisette::WithProfileValue;

struct Name {
  const char* Text;
  int Same;  // names with one number are one name to the platform; the first spelling of each sits at that index
};
constexpr std::array<Name, 6> Sections = {{{"S", 0}, {"T", 1}, {"Section", 2}, {"\x83\x5C", 3}, {"s", 0}, {" S\t", 0}}};
constexpr std::array<Name, 8> Keys = {{{"k", 0},
                                       {"j", 1},
                                       {"\x88\xDA\x93\xAE\x91\xAC\x93\x78", 2},
                                       {"\x82\x8B", 3},
                                       {"k\x81\x40", 4},
                                       {"BGM\x8B\xE6\x95\xAA", 5},
                                       {"K", 0},
                                       {" k ", 0}}};

const orbisette::Cp932TestCodec& Codec() {
  static const orbisette::Cp932TestCodec codec;
  return codec;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }

// A value that reads back exactly as written: no blanks or quotes to drop, short
// enough, and text the code page converts both ways.
bool IsPlain(const std::string& value) {
  if (value.empty() || value.size() > orbisette::MaxProfileValueBytes) return false;
  if (IsBlank(value.front()) || IsBlank(value.back()) || value.front() == '"' || value.front() == '\'') return false;
  const auto& codec = Codec();
  return codec.FromUtf16(orbisette::TextEncoding::Ansi, codec.ToUtf16(orbisette::TextEncoding::Ansi, value)) == value;
}

// Whether bytes [from, to) of the file hold a line end, walking its characters
// from the start as they are laid out: UTF-16 units after the mark, or bytes
// where a lead byte and the byte after it are one character.
bool HasLineEnd(const std::string& file, std::size_t from, std::size_t to) {
  const bool le = file.starts_with("\xFF\xFE"), be = file.starts_with("\xFE\xFF");
  const bool ansi = !le && !be && !file.starts_with("\xEF\xBB\xBF");
  for (std::size_t pos = (le || be) ? 2 : 0; pos < to;) {
    std::size_t size = (le || be) && pos + 1 < file.size() ? 2 : 1;
    unsigned unit = static_cast<unsigned char>(file[pos]);
    if (size == 2)
      unit = le ? unit | static_cast<unsigned char>(file[pos + 1]) << 8
                : unit << 8 | static_cast<unsigned char>(file[pos + 1]);
    if (ansi && Codec().IsLeadByte(file[pos]) && pos + 1 < file.size() && file[pos + 1] != '\0')
      size = 2;
    else if (pos + size > from && (unit == '\r' || unit == '\n'))
      return true;
    pos += size;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const Name section = input.PickValueInArray(Sections);
  const Name key = input.PickValueInArray(Keys);
  const std::string value = input.ConsumeRandomLengthString(300);
  std::string file = input.ConsumeRemainingBytesAsString();
  const auto& codec = Codec();

  FUZZ_CHECK(ReadProfileValue(file, section.Text, key.Text, codec).size() <= orbisette::MaxProfileValueBytes);
  const std::optional<std::string> written = WithProfileValue(file, section.Text, key.Text, value, codec);
  if (!written) return 0;

  const std::string readBack = ReadProfileValue(*written, section.Text, key.Text, codec);
  const std::optional<std::string> alone = WithProfileValue("", section.Text, key.Text, value, codec);
  FUZZ_CHECK(alone && readBack == ReadProfileValue(*alone, section.Text, key.Text, codec));
  if (IsPlain(value)) FUZZ_CHECK(readBack == value);
  // One spelling of every other name is enough.
  const auto firstSpelling = [](const auto& names, const Name& name) { return &names[name.Same] == &name; };
  for (const Name& otherSection : Sections) {
    for (const Name& otherKey : Keys) {
      if (!firstSpelling(Sections, otherSection) || !firstSpelling(Keys, otherKey)) continue;
      if (otherSection.Same == section.Same && otherKey.Same == key.Same) continue;
      FUZZ_CHECK(ReadProfileValue(file, otherSection.Text, otherKey.Text, codec) ==
                 ReadProfileValue(*written, otherSection.Text, otherKey.Text, codec));
    }
  }

  // An odd last byte of a UTF-16 file is written as its whole character.
  if ((file.starts_with("\xFF\xFE") || file.starts_with("\xFE\xFF")) && file.size() % 2 == 1) {
    const char odd = file.back();
    file.pop_back();
    file += file.starts_with("\xFF\xFE") ? std::string{odd, '\0'} : std::string{'\0', odd};
  }
  std::size_t prefix = 0, suffix = 0;
  while (prefix < file.size() && prefix < written->size() && file[prefix] == (*written)[prefix]) ++prefix;
  while (suffix < file.size() - prefix && suffix < written->size() - prefix &&
         file[file.size() - 1 - suffix] == (*written)[written->size() - 1 - suffix]) {
    ++suffix;
  }
  FUZZ_CHECK(!HasLineEnd(file, prefix, file.size() - suffix));
  const std::size_t added = 4 * (std::string(section.Text).size() + std::string(key.Text).size() + value.size() + 8);
  FUZZ_CHECK(written->size() <= file.size() + added);
  FUZZ_CHECK(WithProfileValue(*written, section.Text, key.Text, value, codec) == written);

  // Several keys in one save: the bytes of one save per key.
  const orbisette::ProfileEntry entries[] = {{key.Text, value}, {Keys[0].Text, " 0"}, {key.Text, "x"}};
  std::optional<std::string> oneByOne = written;
  for (const auto& e : std::span(entries).subspan(1))
    oneByOne = WithProfileValue(*oneByOne, section.Text, e.Key, e.Value, codec);
  FUZZ_CHECK(orbisette::WithProfileValues(file, section.Text, entries, codec) == oneByOne);
  return 0;
}
