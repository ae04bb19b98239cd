#include "platform/paths.h"

#include <gtest/gtest.h>

namespace orbisette {
namespace {

TEST(Paths, ApplicationDirectoryAndJoins) {
  EXPECT_EQ(DirectoryOf(L"C:\\Windows\\System32\\Orbisette.scr"), L"C:\\Windows\\System32");
  EXPECT_EQ(DirectoryOf(L"C:\\Orbisette.scr"), L"C:\\");
  EXPECT_EQ(JoinPath(L"C:\\", L"Orbisette.ini"), L"C:\\Orbisette.ini");
  EXPECT_EQ(JoinPath(L"C:\\app", L"Orbisette.ini"), L"C:\\app\\Orbisette.ini");
  EXPECT_EQ(WithoutTrailingBackslash(L"C:\\music\\"), L"C:\\music");
  EXPECT_EQ(WithoutTrailingBackslash(L"C:\\music\\a.mp3"), L"C:\\music\\a.mp3");
  EXPECT_EQ(WithoutTrailingBackslash(L""), L"");
}

}  // namespace
}  // namespace orbisette
