#include "settings/settings.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace orbisette {
namespace {

struct Expected {
  std::int16_t Kind;
  std::int16_t Repeat;
  const char* File;
  float Speed;
  std::int16_t Rebound;
};

struct Case {
  const char* Name;
  std::map<std::string_view, std::string> Keys;
  Expected Want;
};

Settings Load(const std::map<std::string_view, std::string>& keys, char separator = '.') {
  const std::set<std::string> existing = {"C:\\music\\song.mp3", "C:\\music\\loop.wav"};
  Settings s;
  LoadSettings(s, {[&](std::string_view key) {
                     auto it = keys.find(key);
                     return it == keys.end() ? std::string() : it->second;
                   },
                   [&](const std::string& path) { return existing.count(path) > 0; }, separator});
  return s;
}

TEST(LoadSettings, AppliesDefaultsConversionsAndFailures) {
  const Case cases[] = {
      {"no file", {}, {0, 0, "", 15.0f, 1}},
      {"all empty",
       {{KeyBgmKind, ""}, {KeyBgmRepeat, ""}, {KeyBgmFile, ""}, {KeyMoveSpeed, ""}, {KeyRebound, ""}},
       {0, 0, "", 15.0f, 1}},
      {"as the dialog writes them",
       {{KeyBgmKind, " 2"},
        {KeyBgmRepeat, " 3"},
        {KeyBgmFile, "C:\\music\\song.mp3"},
        {KeyMoveSpeed, " 42"},
        {KeyRebound, " 0"}},
       {2, 3, "C:\\music\\song.mp3", 42.0f, 0}},
      {"fractions round down",
       {{KeyBgmKind, "1.7"}, {KeyBgmRepeat, "-0.5"}, {KeyRebound, "1.99"}},
       {1, -1, "", 15.0f, 1}},
      {"speed keeps its fraction", {{KeyMoveSpeed, "12.5"}}, {0, 0, "", 12.5f, 1}},
      {"letters keep the start-up zeros",
       {{KeyBgmKind, "two"}, {KeyBgmRepeat, "x"}, {KeyMoveSpeed, "fast"}, {KeyRebound, "yes"}},
       {0, 0, "", 0.0f, 0}},
      {"too large for 16 bits",
       {{KeyBgmKind, "32768"}, {KeyBgmRepeat, "-32769"}, {KeyRebound, "99999"}},
       {0, 0, "", 15.0f, 0}},
      {"16-bit edges fit", {{KeyBgmKind, "32767"}, {KeyBgmRepeat, "-32768"}}, {32767, -32768, "", 15.0f, 1}},
      {"speed beyond single precision", {{KeyMoveSpeed, "1e39"}}, {0, 0, "", 0.0f, 1}},
      {"no range checks", {{KeyBgmKind, "5"}, {KeyMoveSpeed, "-3"}, {KeyRebound, "7"}}, {5, 0, "", -3.0f, 7}},
      {"music file missing turns kind 2 off",
       {{KeyBgmKind, "2"}, {KeyBgmFile, "C:\\music\\gone.mp3"}},
       {0, 0, "", 15.0f, 1}},
      {"music file missing keeps the CD",
       {{KeyBgmKind, "1"}, {KeyBgmFile, "C:\\music\\gone.mp3"}},
       {1, 0, "", 15.0f, 1}},
      {"no music file turns kind 2 off", {{KeyBgmKind, "2"}}, {0, 0, "", 15.0f, 1}},
      {"music file kept for kind 0", {{KeyBgmFile, "C:\\music\\loop.wav"}}, {0, 0, "C:\\music\\loop.wav", 15.0f, 1}},
      {"padded", {{KeyBgmKind, "  1  "}, {KeyMoveSpeed, "\t20 "}}, {1, 0, "", 20.0f, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const Settings s = Load(c.Keys);
    EXPECT_EQ(s.BgmKind, c.Want.Kind);
    EXPECT_EQ(s.BgmRepeat, c.Want.Repeat);
    EXPECT_EQ(s.BgmFile, c.Want.File);
    EXPECT_EQ(s.MoveSpeed, c.Want.Speed);
    EXPECT_EQ(s.Rebound, c.Want.Rebound);
  }
}

TEST(LoadSettings, ReadsTheLocalesDecimalSeparator) {
  EXPECT_EQ(Load({{KeyMoveSpeed, "12,5"}}, ',').MoveSpeed, 12.5f);
  EXPECT_EQ(Load({{KeyMoveSpeed, "12.5"}}, ',').MoveSpeed, 0.0f);
}

TEST(LoadSettings, AFailedReadKeepsWhatWasThereBefore) {
  Settings s;
  s.MoveSpeed = 33.0f;
  s.Rebound = 4;
  LoadSettings(s, {[](std::string_view) { return std::string("?"); }, [](const std::string&) { return true; }, '.'});
  EXPECT_EQ(s.MoveSpeed, 33.0f);
  EXPECT_EQ(s.Rebound, 4);
}

TEST(SettingsNumberText, LeadingSpaceUnlessNegative) {
  EXPECT_EQ(SettingsNumberText(2), " 2");
  EXPECT_EQ(SettingsNumberText(0), " 0");
  EXPECT_EQ(SettingsNumberText(-3), "-3");
}

}  // namespace
}  // namespace orbisette
