#include <gtest/gtest.h>

#include "memory_store.h"
#include "settings/settings.h"

namespace orbisette {
namespace {

// Counts the reads of the file: a settings file of a hundred megabytes costs
// seconds for each one.
class CountingStore final : public MemoryStore {
 public:
  int Reads = 0;
  ReadResult Read(const std::filesystem::path& file) override { return ++Reads, MemoryStore::Read(file); }
};

TEST(IniSectionReader, LoadsTheFiveSettingsFromOneRead) {
  const std::filesystem::path ini = "C:\\app\\Orbisette.ini";
  CountingStore store;
  store.Files[ini] = "[Other]\r\n" + std::string(KeyBgmKind) + "=1\r\n[Section]\r\n" + std::string(KeyBgmKind) +
                     "= 2\r\n" + std::string(KeyBgmRepeat) + "= 7\r\n" + std::string(KeyBgmFile) + "=C:\\a.wav\r\n" +
                     std::string(KeyMoveSpeed) + "= 30\r\n" + std::string(KeyRebound) + "= 0\r\n";
  Settings s;
  LoadSettings(s, {IniSectionReader(store, SettingsSection, ini), [](const std::string&) { return true; }, '.'});
  EXPECT_EQ(store.Reads, 1);
  EXPECT_EQ(s.BgmKind, 2);
  EXPECT_EQ(s.BgmRepeat, 7);
  EXPECT_EQ(s.BgmFile, "C:\\a.wav");
  EXPECT_EQ(s.MoveSpeed, 30.0f);
  EXPECT_EQ(s.Rebound, 0);

  // A file that cannot be read gives every default, as a missing one does.
  store.Unreadable = ini;
  Settings fresh;
  LoadSettings(fresh, {IniSectionReader(store, SettingsSection, ini), [](const std::string&) { return true; }, '.'});
  EXPECT_EQ(fresh.MoveSpeed, DefaultMoveSpeed);
  EXPECT_EQ(fresh.Rebound, DefaultRebound);
}

}  // namespace
}  // namespace orbisette
