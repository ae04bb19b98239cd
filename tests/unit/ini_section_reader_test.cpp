#include <gtest/gtest.h>

#include "memory_store.h"
#include "settings/settings.h"

namespace orbisette {
namespace {

TEST(IniSectionReader, LoadsTheSettingsFromOneRead) {
  MemoryStore store;
  store.Files["a.ini"] = "[Section]\r\n" + std::string(KeyMoveSpeed) + "= 30\r\n" + std::string(KeyRebound) + "=0\r\n";
  Settings s;
  LoadSettings(s, {IniSectionReader(store, SettingsSection, "a.ini"), [](const std::string&) { return true; }, '.'});
  EXPECT_EQ(store.Reads, 1);
  EXPECT_EQ(std::tuple(s.MoveSpeed, s.Rebound), std::tuple(30.0f, 0));
  // A reader of another section answers from that section alone, for keys listed and not.
  store.Files["b.ini"] = "[Section]\r\nk=1\r\nj=1\r\n[Other]\r\nk=2\r\nj=3\r\n";
  const std::string_view listed[] = {"k"};
  const auto other = IniSectionReader(store, "Other", "b.ini", listed);
  EXPECT_EQ(other("k") + other("j"), "23");
}

}  // namespace
}  // namespace orbisette
