#include "settings/profile_file.h"

#include <gtest/gtest.h>

#include "memory_store.h"
#include "settings/settings.h"

namespace orbisette {
namespace {

const TextCodec& Codec() {
  static const Cp932TestCodec codec;
  return codec;
}
std::string ReadProfileValue(std::string_view contents, std::string_view section, std::string_view key) {
  return orbisette::ReadProfileValue(contents, section, key, Codec());
}
std::optional<std::string> WithProfileValue(std::string_view contents, std::string_view section, std::string_view key,
                                            std::string_view value) {
  return orbisette::WithProfileValue(contents, section, key, value, Codec());
}

TEST(ProfileRead, FindsValuesTheWayProfileFunctionsDo) {
  const std::string file =
      "; comment line\r\n"
      "[Other]\r\n"
      "Speed=99\r\n"
      "[section]\r\n"
      "  speed =  42  \r\n"
      "Quoted=\"C:\\My Music\\a.mp3\"\r\n"
      "Single='x'\r\n"
      "Half=\"x\r\n"
      "NoValue\r\n"
      "Empty=\r\n"
      "Speed=7\r\n"
      "Eq=a=b\r\n"
      "[ Third ]\n"
      "k=lf only\n"
      "last=no line end";
  const struct {
    const char* Section;
    const char* Key;
    const char* Value;
  } cases[] = {
      {"Section", "Speed", "42"},  // case-blind names, spaces trimmed, first key wins
      {"Other", "SPEED", "99"},         {"Section", "Quoted", "C:\\My Music\\a.mp3"},
      {"Section", "Single", "x"},       {"Section", "Half", "\"x"},
      {"Section", "NoValue", ""},       {"Section", "Empty", ""},
      {"Section", "Eq", "a=b"},         {"Section", "Missing", ""},
      {"Missing", "Speed", ""},         {"Third", "k", "lf only"},
      {"third", "LAST", "no line end"}, {"Section", "; comment line", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Section) + "/" + c.Key);
    EXPECT_EQ(ReadProfileValue(file, c.Section, c.Key), c.Value);
  }
}

TEST(ProfileRead, JapaneseKeysCompareTrailBytesExactly) {
  // 移動速度 ends in the trail byte 0x78 ('x'); the character 0x93 0x58 ends in
  // 'X'. Folding the trail byte would make them the same key.
  const std::string file = "[Section]\r\n\x88\xDA\x93\xAE\x91\xAC\x93\x58=1\r\n" + std::string(KeyMoveSpeed) + "=2\r\n";
  EXPECT_EQ(ReadProfileValue(file, "Section", KeyMoveSpeed), "2");
  EXPECT_EQ(ReadProfileValue("[SECTION]\nbgm\x8B\xE6\x95\xAA= 1\n", "Section", KeyBgmKind), "1");
}

TEST(ProfileRead, AnEditorsByteOrderMarkIsNotPartOfTheFirstSection) {
  EXPECT_EQ(ReadProfileValue("\xEF\xBB\xBF[Section]\r\nk=1\r\n", "Section", "k"), "1");
  EXPECT_EQ(WithProfileValue("\xEF\xBB\xBF[S]\nk=1\n", "S", "k", "2"),
            std::optional<std::string>("\xEF\xBB\xBF[S]\nk=2\n"));
}

TEST(ProfileRead, CutsValuesTo255Bytes) {
  const std::string longValue(300, 'a');
  EXPECT_EQ(ReadProfileValue("[S]\nk=" + longValue + "\n", "S", "k"), std::string(255, 'a'));
  EXPECT_EQ(ReadProfileValue("[S]\nk=" + std::string(255, 'b') + "\n", "S", "k").size(), 255u);
  EXPECT_EQ(ReadProfileValue("[S]\nk=" + std::string(256, 'c') + "\n", "S", "k"), std::string(255, 'c'));
  EXPECT_EQ(ReadProfileValue(std::string("[S]\nk=12\0\x33\n", 10), "S", "k"), "12");
}

// Hand-edited files, each value as Wine's GetPrivateProfileStringA returns it
// under code page 932.
TEST(ProfileRead, HandEditedFilesReadAsOnThePlatform) {
  using namespace std::string_literals;
  const std::string a254(254, 'a');
  const struct {
    std::string File;
    const char* Section;
    const char* Key;
    std::string Value;
  } cases[] = {
      {"[S]\r\nk=1\r\n[T]\r\n[S]\r\nk=2\r\nj=3\r\n", "S", "k", "1"},
      {"[S]\r\nk=1\r\n[T]\r\n[S]\r\nk=2\r\nj=3\r\n", "S", "j", ""},  // a second [S] is never read
      {"[ S ]\r\nk=1\r\n", "S", "k", "1"},
      {"[S\r\nk=1\r\n", "S", "k", ""},
      {"[S]\r\n[T\r\nk=1\r\n", "S", "k", "1"},  // a broken header does not end the section
      {"[S]\r\n[k=1\r\n", "S", "[k", "1"},      // it is a key line
      {"[S]]x\r\nk=1\r\n", "S]", "k", "1"},
      {"[S]\r\n\v\x1Ak\f=\t\x1A v\v\r\n\x1A", "S", "k", "v"},
      {"[S]\r\nk\x81\x40=1\r\n", "S", "k", ""},  // the full-width space belongs to the name
      {"[S]\r\nk=\x81\x40v\x81\x40\r\n", "S", "k", "\x81\x40v\x81\x40"},
      {"[S]\r\n;k=1\r\nk=2\r\n", "S", ";k", "1"},
      {"[S]\r\nk\r\nk=2\r\n", "S", "k", ""},
      {"[S]\r\nk \0x=1\r\n"s, "S", "k", ""},
      {"[S]\r\nk= v \0w\r\n"s, "S", "k", "v "},
      {"[S]\r\nk=\"v\0\"\r\n"s, "S", "k", "\"v"},
      {"[S]\r\nk=\"" + std::string(255, 'a') + "\"\r\n", "S", "k", a254},
      {"[S]\r\nk=\"" + std::string(256, 'a') + "\"\r\n", "S", "k", std::string(255, 'a')},
      {"[S]\r\nk=" + a254 + "\x88\xDA\r\n", "S", "k", a254},  // no half character
      {"[S]\r\nk=v\x85w\r\n", "S", "k", "v\x81\x45"},         // no such character: the platform's U+30FB
      {"[S]\rk=x\x88\rj=2\r", "S", "k", "x\x81\x45j=2"},      // a lone lead byte takes the CR after it
      {"k=0\r\n[]\r\nk=1\r\n", "", "k", "0"},
      {"[]\r\nk=1\r\n", "", "k", ""},
      {"\xFE\xFF\0[\0S\0]\0\r\0k\0=\x30\xFC"s, "S", "k", "\x81\x5B"},  // UTF-16, big-endian
      {"\xFF\xFE[\0S\0]\0\r\0k\0=\0a\0x"s, "S", "k", "ax"},            // an odd last byte is a character
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.File) + " " + c.Section + "/" + c.Key);
    EXPECT_EQ(ReadProfileValue(c.File, c.Section, c.Key), c.Value);
  }
}

TEST(ProfileWrite, KeepsEveryOtherLineByteForByte) {
  const std::string before =
      "; written by hand\r\n"
      "[Other]\r\n"
      "Keep=me\r\n"
      "\r\n"
      "[Section]\r\n"
      "Unknown=1\r\n"
      "\x88\xDA\x93\xAE\x91\xAC\x93\x78= 15\r\n"
      "; trailing comment\r\n"
      "\r\n"
      "[Last]\r\n"
      "x=y";
  auto changed = WithProfileValue(before, "Section", KeyMoveSpeed, " 42");
  ASSERT_TRUE(changed);
  std::string expected = before;
  expected.replace(expected.find("= 15"), 4, "= 42");
  EXPECT_EQ(*changed, expected);

  auto added = WithProfileValue(before, "Section", KeyRebound, " 0");
  ASSERT_TRUE(added);
  std::string expectedAdded = before;
  expectedAdded.insert(expectedAdded.find("\r\n\r\n[Last]") + 2, std::string(KeyRebound) + "= 0\r\n");
  EXPECT_EQ(*added, expectedAdded);
}

TEST(ProfileWrite, CreatesSectionsAndFollowsTheFilesLineEnds) {
  const struct {
    const char* Before;
    const char* After;
  } cases[] = {
      {"", "[S]\r\nk= 1\r\n"},
      {"[A]\nx=1\n", "[A]\nx=1\n[S]\nk= 1\n"},
      {"[A]\r\nx=1", "[A]\r\nx=1\r\n[S]\r\nk= 1\r\n"},
      {"[A]\rx=1\r\n", "[A]\rx=1\r\n[S]\rk= 1\r"},  // the first line end
      {"[S]\r\nk=0", "[S]\r\nk= 1"},
      {"[S]\nj=0", "[S]\nj=0\nk= 1\n"},
      {"[s]\r\n  K = 5 \r\n", "[s]\r\n  K= 1\r\n"},
      {"[S]\r\n[S]\r\nk=2\r\n", "[S]\r\nk= 1\r\n[S]\r\nk=2\r\n"},  // the platform reads the first [S] only
      {"[S]\r\na=1\r\n[T]\r\n[S]\r\nb=2\r\n",
       "[S]\r\na=1\r\nk= 1\r\n[T]\r\n[S]\r\nb=2\r\n"},  // a new key joins the first
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Before);
    EXPECT_EQ(WithProfileValue(c.Before, "S", "k", " 1"), std::optional<std::string>(c.After));
  }
}

TEST(ProfileWrite, KeepsTheFilesEncodingAndLineEnds) {
  using namespace std::string_literals;
  const struct {
    std::string Before;
    const char* Key;
    std::string After;
  } cases[] = {
      {"\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\x30\0\r\0\n\0"s, "k", "\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\xF3\x97\r\0\n\0"s},
      {"\xFF\xFE[\0S\0]\0\r\0\n\0"s, "j", "\xFF\xFE[\0S\0]\0\r\0\n\0j\0=\0\xF3\x97\r\0\n\0"s},
      {"\xFF\xFE"s, "k", "\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\xF3\x97\r\0\n\0"s},
      {"\xFF\xFE[\0S\0]\0\r\0\n\0x"s, "k", "\xFF\xFE[\0S\0]\0\r\0\n\0x\0\r\0\n\0k\0=\0\xF3\x97\r\0\n\0"s},
      {"\xEF\xBB\xBF[S]\nk=0\n", "k", "\xEF\xBB\xBF[S]\nk=\xE9\x9F\xB3\n"},
      {"[S]\rk=0\rj=1\r", "m", "[S]\rk=0\rj=1\rm=\x89\xB9\r"},
      {"[S]\rk=0", "k", "[S]\rk=\x89\xB9"},
      {"[S]\rk=x\x88", "m", "[S]\rk=x\x88\r\rm=\x89\xB9\r"},
      {"[S]\r m\0\xF5"s, "m", "[S]\r m=\x89\xB9"},  // the name's last lead byte would take the "="
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Before));
    EXPECT_EQ(WithProfileValue(c.Before, "S", c.Key, "\x89\xB9"), std::optional<std::string>(c.After));  // 音
  }
}

TEST(ProfileWrite, SeveralKeysAtOnceAsOneAfterAnother) {
  using namespace std::string_literals;
  const struct {
    std::string Before;
    std::vector<ProfileEntry> Entries;
  } cases[] = {
      {"", {{"k", " 1"}, {"j", "2"}, {"K", "3"}}},                             // a new section; a key found again
      {"[s]\r\nK=1\r\n\r\n[T]\r\nj=0", {{"j", "2"}, {"k", "3"}, {"J", "4"}}},  // an added key rewritten
      {"[S]\rk=0\r\n\n[T]", {{"j", "1"}, {"m", "2"}}},                         // a CR end would join the LF after it
      {"[S]\rk=x\x88", {{"m", "1"}, {"k", "2"}}},                              // a lead byte takes the first line end
      {"[S]\n\x81", {{"\x81 ", "1"}, {"\x81 ", "2"}}},  // the name's lead byte takes the "=": a new name
      {"\xFF\xFE[\0S\0]\0\r\0\n\0x"s, {{"k", "1"}, {"x", "2"}}},
      {"[S]\nk=1", {{"\x81 ", "1"}, {"k", "2"}, {"\x81 ", "3"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Before));
    std::optional<std::string> oneByOne = c.Before;
    for (const ProfileEntry& e : c.Entries) oneByOne = WithProfileValue(*oneByOne, "S", e.Key, e.Value);
    EXPECT_EQ(orbisette::WithProfileValues(c.Before, "S", c.Entries, Codec()), oneByOne);
  }
}

TEST(ProfileWrite, RefusesTextThatWouldBreakTheFile) {
  const struct {
    std::string Section, Key, Value;
  } cases[] = {
      {"S", "k", "a\r\n[Evil]"},
      {"S", "k", std::string("a\0b", 3)},
      {"S", "k=x", "1"},
      {"S]", "k", "1"},
      {"S", "", "1"},
      {"", "k", "1"},
      {"S", "a\nb", "1"},
      {"S", ";k", "1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WithProfileValue("[S]\nk=0\n", c.Section, c.Key, c.Value), std::nullopt) << c.Section << "/" << c.Key;
  }
}

const std::filesystem::path IniPath = "app/Orbisette.ini";

// The bytes of UTF-16 text, little-endian, after the byte-order mark an editor's
// "Unicode" puts first.
std::string Utf16File(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) bytes.append({static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)});
  return bytes;
}

TEST(IniFile, ReadsFilesAsThePlatformReadsThem) {
  using namespace std::string_literals;
  const std::string speed(KeyMoveSpeed);
  const struct {
    const char* What;
    std::string File;
    std::string_view Key;
    const char* Value;
  } cases[] = {
      {"saved as UTF-16 with its mark", Utf16File(u"[Section]\r\n移動速度= 42\r\n反撥=0\r\n"), KeyMoveSpeed, "42"},
      {"CR-only line ends", "[Section]\r" + speed + "= 42\r\x94\xBD\x9D\x9B= 0\r", KeyRebound, "0"},
      {"UTF-8 with its mark, keys in UTF-8",
       "\xEF\xBB\xBF[Section]\r\n\xE7\xA7\xBB\xE5\x8B\x95\xE9\x80\x9F\xE5\xBA\xA6= 42\r\n", KeyMoveSpeed, "42"},
      {"a NUL right after the key name", "[Section]\r\n" + speed + "\0= 42\r\n"s, KeyMoveSpeed, "42"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    MemoryStore store;
    store.Files[IniPath] = c.File;
    EXPECT_EQ(ReadIniValue(store, SettingsSection, c.Key, IniPath), c.Value);
  }
}

TEST(IniFile, WrittenValuesReadBack) {
  MemoryStore store;
  EXPECT_EQ(ReadIniValue(store, SettingsSection, KeyBgmKind, IniPath), "");
  const std::pair<std::string_view, std::string> values[] = {
      {KeyBgmKind, " 2"},    {KeyBgmRepeat, " 0"}, {KeyBgmFile, "C:\\Music\\\x8B\xC8.mp3"},
      {KeyMoveSpeed, " 42"}, {KeyRebound, "-1"},
  };
  for (const auto& [key, value] : values) ASSERT_TRUE(WriteIniValue(store, SettingsSection, key, value, IniPath));
  for (const auto& [key, value] : values) {
    std::string trimmed = value[0] == ' ' ? value.substr(1) : value;
    EXPECT_EQ(ReadIniValue(store, SettingsSection, key, IniPath), trimmed);
  }
  EXPECT_EQ(store.Files.size(), 1u) << "the temporary file is gone";
  EXPECT_NE(store.Files[IniPath].find(std::string(KeyBgmKind) + "= 2\r\n"), std::string::npos);
}

TEST(IniFile, AFailedWriteLeavesTheOldFileIntact) {
  const std::string old = "[Section]\r\n\x94\xBD\x9D\x9B= 1\r\n; mine\r\n";
  const struct {
    const char* What;
    std::size_t WriteLimit;
    bool ReplaceFails;
    bool Unreadable;
  } failures[] = {
      {"disk full half-way", 10, false, false},
      {"disk full before anything", 0, false, false},
      {"rename refused", std::string::npos, true, false},
      {"old file unreadable", std::string::npos, false, true},
  };
  for (const auto& f : failures) {
    SCOPED_TRACE(f.What);
    MemoryStore store;
    store.Files[IniPath] = old;
    store.WriteLimit = f.WriteLimit;
    store.ReplaceFails = f.ReplaceFails;
    if (f.Unreadable) store.Unreadable = IniPath;
    EXPECT_FALSE(WriteIniValue(store, SettingsSection, KeyRebound, " 0", IniPath));
    EXPECT_EQ(store.Files[IniPath], old);
    EXPECT_EQ(store.Files.size(), 1u) << "no temporary file left behind";
  }
}

}  // namespace
}  // namespace orbisette

namespace orbisette {
namespace {

TEST(IniFile, LeftoversOfEarlierSavesNeitherBlockNorStay) {
  const std::string old = "[Section]\r\n\x94\xBD\x9D\x9B= 1\r\n";
  MemoryStore store;
  store.Files[IniPath] = old;
  ASSERT_TRUE(WriteIniValue(store, SettingsSection, KeyRebound, " 1", IniPath));  // shows the name the next save takes
  const std::string last = store.Written.back().filename().string();
  const std::uint32_t next = static_cast<std::uint32_t>(std::stoul(last.substr(last.rfind('-') + 1))) + 1;
  const std::filesystem::path ours = TemporaryPathFor(IniPath, 17, 3);
  const std::filesystem::path stuck = TemporaryPathFor(IniPath, store.Pid, next);
  const std::filesystem::path notOurs = "app/Orbisette.ini.bak.tmp";
  const std::filesystem::path earlier = "app/Orbisette.ini.tmp";  // an earlier version's name
  for (const auto& path : {ours, stuck, notOurs, earlier}) store.Files[path] = "half a file";
  store.ReadOnly.insert(ours);
  store.Stuck.insert(stuck);  // in the way of the first name this save tries
  store.Stuck.insert(store.Written.back());

  ASSERT_TRUE(WriteIniValue(store, SettingsSection, KeyRebound, " 0", IniPath));
  EXPECT_EQ(store.Files[IniPath], "[Section]\r\n\x94\xBD\x9D\x9B= 0\r\n");
  EXPECT_EQ(store.Files.count(ours) + store.Files.count(earlier), 0u);
  EXPECT_EQ(store.Files.count(notOurs), 1u);
  EXPECT_EQ(store.Files.size(), 3u) << "the stuck one and the stranger stay, nothing else";
}

TEST(IniFile, AReadOnlyFileIsNotReplaced) {
  const std::string old = "[Section]\r\n\x94\xBD\x9D\x9B= 1\r\n";
  MemoryStore store;
  store.Files[IniPath] = old;
  store.ReadOnly.insert(IniPath);
  EXPECT_FALSE(WriteIniValue(store, SettingsSection, KeyRebound, " 0", IniPath));
  EXPECT_EQ(store.Files[IniPath], old);
  EXPECT_EQ(store.Files.size(), 1u);
}

}  // namespace
}  // namespace orbisette
