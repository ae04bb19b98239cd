// The settings file and the file checks on real files, and the file format
// cross-checked against the platform's own profile functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include "harness.h"
#include "profile_corpus.h"
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
    RemoveTree(Dir);
    ::CreateDirectoryW(Dir.c_str(), nullptr);
  }
  ~Scratch() { RemoveTree(Dir); }
  const std::wstring Dir = L"C:\\orbisette-e2e\\scratch";
};

// Temporary files a save left beside the settings file in dir.
std::vector<std::wstring> Temporaries(const std::wstring& dir) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((dir + L"\\Orbisette.ini*.tmp").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.push_back(data.cFileName);
  while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return names;
}

TEST(FileExists, OnRealPaths) {
  Scratch s;
  WriteBytes(s.Dir + L"\\song.mp3", "ID3");
  const std::pair<std::wstring, bool> cases[] = {
      {s.Dir + L"\\song.mp3", true},
      {s.Dir + L"\\song.mp3\\", true},
      {s.Dir + L"\\SONG.MP3", true},
      {s.Dir + L"\\gone.mp3", false},
      {s.Dir, false},
      {s.Dir + L"\\", false},
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
  const std::wstring path = s.Dir + L"\\locked.wav";
  WriteBytes(path, "RIFF");
  HANDLE lock = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(FileExists(path));
  ::CloseHandle(lock);
  EXPECT_TRUE(FileExists(path));
}

TEST(SettingsFile, WritesReplaceTheFileAndKeepTheRest) {
  Scratch s;
  const std::wstring ini = s.Dir + L"\\Orbisette.ini";
  WriteBytes(ini, "; mine\r\n[Other]\r\na=b\r\n");
  orbisette::Win32FileStore store;
  ASSERT_TRUE(orbisette::WriteIniValue(store, "Section", orbisette::KeyMoveSpeed, " 42", ini));
  ASSERT_TRUE(orbisette::WriteIniValue(store, "Section", orbisette::KeyMoveSpeed, " 43", ini));
  EXPECT_EQ(ReadBytes(ini),
            "; mine\r\n[Other]\r\na=b\r\n[Section]\r\n" + std::string(orbisette::KeyMoveSpeed) + "= 43\r\n");
  EXPECT_TRUE(Temporaries(s.Dir).empty());
}

TEST(SettingsFile, AFileThatCannotBeReplacedIsLeftAsItWas) {
  Scratch s;
  const std::wstring ini = s.Dir + L"\\Orbisette.ini";
  const std::string old = "[Section]\r\nkeep=1\r\n";
  WriteBytes(ini, old);
  // Held open without sharing by another program: neither readable nor replaceable.
  HANDLE lock = ::CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  orbisette::Win32FileStore store;
  EXPECT_FALSE(orbisette::WriteIniValue(store, "Section", orbisette::KeyRebound, " 0", ini));
  ::CloseHandle(lock);
  EXPECT_EQ(ReadBytes(ini), old);
  EXPECT_TRUE(Temporaries(s.Dir).empty());
}

TEST(SettingsFile, LeftoversOfACrashDoNotBlockASaveAndAreRemoved) {
  Scratch s;
  const std::wstring ini = s.Dir + L"\\Orbisette.ini";
  WriteBytes(ini, "[Section]\r\n");
  // What a save cut short leaves: our own next name, read-only, and another process's.
  const std::wstring mine = ini + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-1.tmp";
  const std::wstring another = ini + L".4000000000-9.tmp";
  for (const auto& path : {mine, another, ini + L".tmp"}) WriteBytes(path, "[Sect");
  ::SetFileAttributesW(mine.c_str(), FILE_ATTRIBUTE_READONLY);
  orbisette::Win32FileStore store;
  ASSERT_TRUE(orbisette::WriteIniValue(store, "Section", orbisette::KeyRebound, " 0", ini));
  EXPECT_EQ(ReadBytes(ini), "[Section]\r\n" + std::string(orbisette::KeyRebound) + "= 0\r\n");
  EXPECT_TRUE(Temporaries(s.Dir).empty());
}

TEST(SettingsFile, AHiddenFileStaysHiddenAndAReadOnlyOneIsRefused) {
  Scratch s;
  const std::wstring ini = s.Dir + L"\\Orbisette.ini";
  const std::string old = "[Section]\r\n";
  orbisette::Win32FileStore store;
  WriteBytes(ini, old);
  ASSERT_TRUE(::SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(orbisette::WriteIniValue(store, "Section", orbisette::KeyRebound, " 0", ini));
  EXPECT_NE(::GetFileAttributesW(ini.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);

  WriteBytes(ini, old);
  ASSERT_TRUE(::SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(orbisette::WriteIniValue(store, "Section", orbisette::KeyRebound, " 0", ini));
  EXPECT_EQ(ReadBytes(ini), old);
  EXPECT_TRUE(Temporaries(s.Dir).empty());
  ::SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The five values as the settings dialog writes them, and as code page 932 text.
struct KeyValue {
  std::string_view Key;
  std::string Value;
};
const KeyValue KeyValues[] = {
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
  Scratch Folder;
  const std::wstring Ini = Folder.Dir + L"\\Orbisette.ini";
  const std::string IniAnsi = "C:\\orbisette-e2e\\scratch\\Orbisette.ini";
};

TEST_F(CodePage932, OurFileReadsBackThroughTheProfileFunctions) {
  orbisette::Win32FileStore store;
  for (const auto& kv : KeyValues) ASSERT_TRUE(orbisette::WriteIniValue(store, "Section", kv.Key, kv.Value, Ini));
  for (const auto& kv : KeyValues) {
    char buffer[256] = {};
    ::GetPrivateProfileStringA("Section", std::string(kv.Key).c_str(), "", buffer, 256, IniAnsi.c_str());
    EXPECT_EQ(std::string(buffer), Trimmed(kv.Value));
  }
}

TEST_F(CodePage932, TheProfileFunctionsFileReadsBackThroughOurs) {
  for (const auto& kv : KeyValues) {
    ASSERT_TRUE(
        ::WritePrivateProfileStringA("Section", std::string(kv.Key).c_str(), kv.Value.c_str(), IniAnsi.c_str()));
  }
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, IniAnsi.c_str());  // flush the platform's cache
  orbisette::Win32FileStore store;
  for (const auto& kv : KeyValues) {
    EXPECT_EQ(orbisette::ReadIniValue(store, "Section", kv.Key, Ini), Trimmed(kv.Value));
  }
}

// Files as editors save them, which the program once ran on the defaults with:
// the speed of 0 they hold now keeps the balls still, as the platform reads it.
TEST_F(CodePage932, TheRunTakesTheSpeedFromFilesAsEditorsSaveThem) {
  using namespace std::string_literals;
  const std::string speed(orbisette::KeyMoveSpeed);
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : std::u16string(u"[Section]\r\n移動速度= 0\r\n")) {
    utf16.append({static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)});
  }
  const std::pair<const char*, std::string> files[] = {
      {"UTF-16 with its mark", utf16},
      {"CR-only line ends", "[Section]\r" + speed + "= 0\r"},
      {"UTF-8 with its mark, keys in UTF-8",
       "\xEF\xBB\xBF[Section]\r\n\xE7\xA7\xBB\xE5\x8B\x95\xE9\x80\x9F\xE5\xBA\xA6= 0\r\n"},
      {"a NUL right after the key", "[Section]\r\n" + speed + "\0= 0\r\n"s},
  };
  for (const auto& [what, bytes] : files) {
    SCOPED_TRACE(what);
    AppFolder app;
    WriteBytes(app.File(L"Orbisette.ini"), bytes);
    SaverProcess saver(app.Program(), L"/s");
    ASSERT_TRUE(WaitUntil([&] { return saver.VisiblePlaces().size() == 10 || saver.Exited(); }, 20s));
    const auto before = saver.VisiblePlaces();
    ::Sleep(500);  // fifty ticks in which nothing may move
    EXPECT_EQ(saver.VisiblePlaces(), before) << "the balls moved";
    PressEscape();
    EXPECT_TRUE(saver.WaitForExit(5s));
  }
}

// What the program reads through the platform: a 256-byte buffer of NULs, read
// up to its first NUL.
std::string PlatformRead(const std::string& file, const std::string& section, const std::string& key) {
  char buffer[256] = {};
  ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof buffer, file.c_str());
  return std::string(buffer);
}

std::string Hex(const std::string& bytes) {
  std::string hex;
  for (unsigned char c : bytes.substr(0, 400)) hex += "0123456789ABCDEF"[c >> 4], hex += "0123456789ABCDEF"[c & 15];
  return bytes.size() > 400 ? hex + "..." : hex;
}

constexpr std::size_t CorpusSize = 500;

TEST_F(CodePage932, OurReaderAgreesWithTheProfileFunctionsOnAGeneratedCorpus) {
  const orbisette::Win32TextCodec codec;
  const std::vector<std::string> corpus = ProfileCorpus(CorpusSize);
  std::size_t compared = 0, found = 0, differing = 0;
  for (std::size_t i = 0; i < corpus.size(); ++i) {
    const std::string name = "corpus-" + std::to_string(i) + ".ini";  // one name each: the platform caches files
    WriteBytes(Folder.Dir + L"\\" + std::wstring(name.begin(), name.end()), corpus[i]);
    for (const std::string& section : CorpusSections()) {
      for (const std::string& key : CorpusKeys()) {
        const std::string platform = PlatformRead("C:\\orbisette-e2e\\scratch\\" + name, section, key);
        const std::string ours = orbisette::ReadProfileValue(corpus[i], section, key, codec);
        ++compared;
        found += platform.empty() ? 0 : 1;
        if (ours != platform && ++differing <= 20) {
          ADD_FAILURE() << "file " << i << " [" << Hex(section) << "] " << Hex(key) << ": ours " << Hex(ours)
                        << ", the platform's " << Hex(platform) << "\n"
                        << Hex(corpus[i]);
        }
      }
    }
  }
  EXPECT_EQ(differing, 0u);
  EXPECT_GE(found, corpus.size()) << "the corpus hides its values from both readers";
  std::cout << "[ corpus   ] " << corpus.size() << " files, " << compared << " keys compared, " << found
            << " with a value\n";
}

// The form a file's first bytes give it: ANSI, UTF-8, UTF-16LE or UTF-16BE.
int FormOf(const std::string& bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return 1;
  if (bytes.starts_with("\xFF\xFE")) return 2;
  return bytes.starts_with("\xFE\xFF") ? 3 : 0;
}

// A name as the platform compares it: blanks around dropped, ASCII letters folded.
std::string Folded(const std::string& name) {
  const char* blanks = " \t\v\f\x1A";
  const std::size_t first = name.find_first_not_of(blanks);
  std::string folded = first == std::string::npos ? "" : name.substr(first, name.find_last_not_of(blanks) + 1 - first);
  for (char& c : folded) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return folded;
}

// Corpus files get one write through our writer and one through the
// platform's. From our file the written key must read back as the platform reads
// it from a file of its own, and every other key as before the write. The
// platform's writer rewrites the whole file, which changes some other values and
// can hide its own write (a header "[S \0x]" comes back as "[S ]", a second [S]
// ahead of the one written): both are counted, not failed.
TEST_F(CodePage932, OurWritesChangeWhatThePlatformsWritesChange) {
  const orbisette::Win32TextCodec codec;
  const std::vector<std::string> corpus = ProfileCorpus(CorpusSize);
  std::size_t compared = 0, differing = 0, rewrittenByPlatform = 0, hiddenByPlatform = 0;
  std::size_t files = 0;
  for (std::size_t i = 0; i < corpus.size(); i += 2, ++files) {  // every other file: the platform's writes are slow
    const CorpusWrite write = CorpusWriteFor(i);
    const std::optional<std::string> ours =
        orbisette::WithProfileValue(corpus[i], write.Section, write.Key, write.Value, codec);
    ASSERT_TRUE(ours) << i;
    const std::string base = "C:\\orbisette-e2e\\scratch\\written-" + std::to_string(i);
    const std::string oursFile = base + "-ours.ini", platformFile = base + "-platform.ini";
    WriteBytes(std::wstring(oursFile.begin(), oursFile.end()), *ours);
    WriteBytes(std::wstring(platformFile.begin(), platformFile.end()), corpus[i]);
    const std::string cleanFile = base + "-clean.ini";
    ::WritePrivateProfileStringA(write.Section.c_str(), write.Key.c_str(), write.Value.c_str(), cleanFile.c_str());
    const std::string readBack = PlatformRead(cleanFile, write.Section, write.Key);
    std::vector<std::string> before;
    for (const std::string& section : CorpusSections()) {
      for (const std::string& key : CorpusKeys()) before.push_back(PlatformRead(platformFile, section, key));
    }
    ASSERT_TRUE(::WritePrivateProfileStringA(write.Section.c_str(), write.Key.c_str(), write.Value.c_str(),
                                             platformFile.c_str()));
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, platformFile.c_str());
    const std::string platformBytes = ReadBytes(std::wstring(platformFile.begin(), platformFile.end()));
    EXPECT_EQ(FormOf(platformBytes), FormOf(*ours)) << "the platform keeps the file's encoding too: " << i;
    std::size_t query = 0;
    for (const std::string& section : CorpusSections()) {
      for (const std::string& key : CorpusKeys()) {
        const bool written = Folded(section) == Folded(write.Section) && Folded(key) == Folded(write.Key);
        const std::string platform = PlatformRead(platformFile, section, key);
        const std::string byPlatform = PlatformRead(oursFile, section, key);
        const std::string byUs = orbisette::ReadProfileValue(*ours, section, key, codec);
        const std::string& expected = written ? readBack : before[query];
        ++compared;
        if (platform != expected) ++(written ? hiddenByPlatform : rewrittenByPlatform);
        if ((byPlatform != expected || byUs != expected) && ++differing <= 20) {
          ADD_FAILURE() << "file " << i << " after [" << write.Section << "] " << Hex(write.Key) << "=" << write.Value
                        << ", [" << Hex(section) << "] " << Hex(key) << ": expected " << Hex(expected)
                        << ", ours read by the platform " << Hex(byPlatform) << ", by us " << Hex(byUs) << "\n"
                        << Hex(corpus[i]) << "\n"
                        << Hex(*ours) << "\n"
                        << Hex(platformBytes);
        }
        ++query;
      }
    }
  }
  EXPECT_EQ(differing, 0u);
  std::cout << "[ corpus   ] " << files << " files written, " << compared << " keys compared; " << rewrittenByPlatform
            << " other values changed and " << hiddenByPlatform
            << " written ones hidden by the platform's own rewrite\n";
}

}  // namespace
}  // namespace e2e
