// The settings file and the file checks on real files, and the file format
// cross-checked against the platform's own profile functions.
#include <gtest/gtest.h>

#include "harness.h"
#include "settings/file_store_win32.h"
#include "settings/profile_file.h"
#include "settings/settings.h"

namespace e2e {
namespace {

using orbisette::FileExists;

class Scratch {
 public:
  Scratch() {
    ::CreateDirectoryW(L"C:\\orbisette-e2e", nullptr);
    RemoveTree(dir);
    ::CreateDirectoryW(dir.c_str(), nullptr);
  }
  ~Scratch() { RemoveTree(dir); }
  const std::wstring dir = L"C:\\orbisette-e2e\\scratch";
};

TEST(FileExists, OnRealPaths) {
  Scratch s;
  WriteBytes(s.dir + L"\\song.mp3", "ID3");
  const std::pair<std::wstring, bool> cases[] = {
      {s.dir + L"\\song.mp3", true},
      {s.dir + L"\\song.mp3\\", true},
      {s.dir + L"\\SONG.MP3", true},
      {s.dir + L"\\gone.mp3", false},
      {s.dir, false},
      {s.dir + L"\\", false},
      {L"", false},
      {L"\\", false},
      {L"C:\\no\\such\\dir\\a.mp3", false},
  };
  for (const auto& [path, exists] : cases) {
    EXPECT_EQ(FileExists(path), exists) << ::testing::PrintToString(path);
  }
}

TEST(FileExists, ALockedFileCannotBeUsed) {
  Scratch s;
  const std::wstring path = s.dir + L"\\locked.wav";
  WriteBytes(path, "RIFF");
  HANDLE lock = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(FileExists(path));
  ::CloseHandle(lock);
  EXPECT_TRUE(FileExists(path));
}

TEST(SettingsFile, WritesReplaceTheFileAndKeepTheRest) {
  Scratch s;
  const std::wstring ini = s.dir + L"\\Orbisette.ini";
  WriteBytes(ini, "; mine\r\n[Other]\r\na=b\r\n");
  orbisette::Win32FileStore store;
  ASSERT_TRUE(orbisette::WriteIniValue(store, "Section", orbisette::KeyMoveSpeed, " 42", ini));
  ASSERT_TRUE(orbisette::WriteIniValue(store, "Section", orbisette::KeyMoveSpeed, " 43", ini));
  EXPECT_EQ(ReadBytes(ini),
            "; mine\r\n[Other]\r\na=b\r\n[Section]\r\n" + std::string(orbisette::KeyMoveSpeed) + "= 43\r\n");
  EXPECT_FALSE(PathExists(ini + L".tmp"));
}

TEST(SettingsFile, AFileThatCannotBeReplacedIsLeftAsItWas) {
  Scratch s;
  const std::wstring ini = s.dir + L"\\Orbisette.ini";
  const std::string old = "[Section]\r\nkeep=1\r\n";
  WriteBytes(ini, old);
  // Held open without sharing by another program: neither readable nor replaceable.
  HANDLE lock = ::CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  orbisette::Win32FileStore store;
  EXPECT_FALSE(orbisette::WriteIniValue(store, "Section", orbisette::KeyRebound, " 0", ini));
  ::CloseHandle(lock);
  EXPECT_EQ(ReadBytes(ini), old);
  EXPECT_FALSE(PathExists(ini + L".tmp"));
}

// The five values as the settings dialog writes them, and as code page 932 text.
struct KeyValue {
  std::string_view key;
  std::string value;
};
const KeyValue kValues[] = {
    {orbisette::KeyBgmKind, " 2"},
    {orbisette::KeyBgmRepeat, " 12"},
    {orbisette::KeyBgmFile, "C:\\\x89\xB9\x8A\x79\\\x8B\xC8 1.mp3"},  // C:\音楽\曲 1.mp3
    {orbisette::KeyMoveSpeed, " 42"},
    {orbisette::KeyRebound, " 0"},
};

std::string Trimmed(const std::string& s) { return s.substr(s.find_first_not_of(' ')); }

class CodePage932 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::GetACP() != 932) GTEST_SKIP() << "needs the ANSI code page 932 (run with LANG=ja_JP.UTF-8)";
  }
  Scratch scratch;
  const std::wstring ini = scratch.dir + L"\\Orbisette.ini";
  const std::string iniAnsi = "C:\\orbisette-e2e\\scratch\\Orbisette.ini";
};

TEST_F(CodePage932, OurFileReadsBackThroughTheProfileFunctions) {
  orbisette::Win32FileStore store;
  for (const auto& kv : kValues) ASSERT_TRUE(orbisette::WriteIniValue(store, "Section", kv.key, kv.value, ini));
  for (const auto& kv : kValues) {
    char buffer[256] = {};
    ::GetPrivateProfileStringA("Section", std::string(kv.key).c_str(), "", buffer, 256, iniAnsi.c_str());
    EXPECT_EQ(std::string(buffer), Trimmed(kv.value));
  }
}

TEST_F(CodePage932, TheProfileFunctionsFileReadsBackThroughOurs) {
  for (const auto& kv : kValues) {
    ASSERT_TRUE(
        ::WritePrivateProfileStringA("Section", std::string(kv.key).c_str(), kv.value.c_str(), iniAnsi.c_str()));
  }
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, iniAnsi.c_str());  // flush the platform's cache
  orbisette::Win32FileStore store;
  for (const auto& kv : kValues) {
    EXPECT_EQ(orbisette::ReadIniValue(store, "Section", kv.key, ini), Trimmed(kv.value));
  }
}

}  // namespace
}  // namespace e2e
