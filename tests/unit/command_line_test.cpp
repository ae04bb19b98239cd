#include "startup/command_line.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "startup/startup.h"

namespace orbisette {
namespace {

TEST(CommandLine, ArgumentsFollowTheProgramName) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"\"C:\\Program Files\\Orbisette.scr\" /s", L"/s"},
      {L"C:\\Windows\\Orbisette.scr /p 1234", L"/p 1234"},
      {L"Orbisette.scr", L""},
      {L"\"C:\\a b\\Orbisette.scr\"", L""},
      {L"Orbisette.scr   /c:1234", L"/c:1234"},
      {L"\"unterminated /s", L""},
  };
  for (const auto& [full, args] : cases) {
    SCOPED_TRACE(full);
    EXPECT_EQ(ArgumentsOf(full), args);
  }
}

TEST(CommandLine, ModeLetterIsTheSecondCharacterUpperCased) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"/s", L"S"}, {L"-S", L"S"},     {L"xs", L"S"},      {L"/S extra text", L"S"},
      {L"/c", L"C"}, {L"/C:123", L"C"}, {L"/p 1234", L"P"}, {L"/P:1234", L"P"},
      {L"S", L""},   {L"", L""},        {L"/a", L"A"},      {L"//", L"/"},
  };
  for (const auto& [args, letter] : cases) {
    SCOPED_TRACE(args);
    EXPECT_EQ(ModeLetter(args), letter);
  }
}

TEST(CommandLine, TheStartUpDecidesOnceForEveryCommandLine) {
  using enum StartupAction;
  struct Case {
    bool Window, Held;
    const wchar_t* Args;
    StartupAction Action;
    bool Hide, Loads;
    std::int32_t Handle;
  };
  for (const Case& c : {
           Case{true, false, L"/s", End, false, false, 0},
           Case{true, false, L"/p 1234", End, false, false, 0},
           Case{true, false, L"", End, false, false, 0},
           Case{true, false, L"/c", End, false, false, 0},
           // A run or dialog that holds the guard but has no window yet.
           Case{false, true, L"/s", End, false, false, 0},
           Case{false, true, L"", End, false, false, 0},
           Case{false, true, L"/c", End, false, false, 0},
           Case{false, true, L"/p 1234", End, false, false, 0},
           Case{false, true, L"/a", End, false, false, 0},
           Case{false, false, L"/s", Run, true, true, 0},
           Case{false, false, L"-S more", Run, true, true, 0},
           Case{false, false, L"", Run, false, true, 0},
           Case{false, false, L"/c:5", Dialog, false, true, 0},
           Case{false, false, L"/p 1234", Preview, false, false, 1234},
           Case{false, false, L"/P:77", Preview, false, false, 77},
           Case{false, false, L"S", LoadSettingsThenEnd, false, true, 0},
           Case{false, false, L"/a", LoadSettingsThenEnd, false, true, 0},
       }) {
    SCOPED_TRACE(c.Args);
    SCOPED_TRACE(c.Held);
    const StartupDecision d = DecideStartup({c.Window, c.Held}, c.Args);
    EXPECT_EQ(d.Action, c.Action);
    EXPECT_EQ(d.HideCursor, c.Hide);
    EXPECT_EQ(d.LoadsSettings(), c.Loads);
    EXPECT_EQ(d.PreviewHandle, c.Handle);
  }
}

TEST(CommandLine, OnlyTheRunAndTheDialogHoldTheNamedGuard) {
  const std::pair<const wchar_t*, bool> cases[] = {
      {L"/s", true},       {L"-S more", true}, {L"", true},   {L"/c", true},  {L"/c:5", true},
      {L"/p 1234", false}, {L"/P:77", false},  {L"S", false}, {L"/a", false}, {L"/?", false},
  };
  for (const auto& [args, holds] : cases) {
    SCOPED_TRACE(args);
    EXPECT_EQ(HoldsInstanceGuard(args), holds);
  }
}

TEST(CommandLine, PreviewHandleIsReadFromTheFourthCharacter) {
  const std::pair<const wchar_t*, std::int32_t> cases[] = {
      {L"/p 1234", 1234},
      {L"/P:1234", 1234},
      {L"/p1234", 234},
      {L"/p &H4D2", 1234},
      {L"/p &h4d2", 1234},
      {L"/p 12 34", 1234},
      {L"/p \t5\t6", 56},
      {L"/p", 0},
      {L"/p ", 0},
      {L"/p abc", 0},
      {L"/p 99999999999", 0},
      {L"/p -7", -7},
      {L"/p 65538x1", 65538},
      {L"/p 12\u30005", 12},
      {L"/p 2.5", 2},
      {L"/p 1\n2", 12},
      {L"/p 12\r3", 12},
      {L"/p 1e3", 1000},
      {L"/p 2147483647", 2147483647},
      {L"/p 2147483648", 0},
      {L"/p 2147483646.5", 2147483646},
      {L"/p -2147483648", INT32_MIN},
      {L"/p &H7FFFFFFF", 2147483647},
      {L"/p &H80000000", INT32_MIN},
      {L"/p &H100000000", 0},
      {L"/p &H", 0},
  };
  for (const auto& [args, handle] : cases) {
    SCOPED_TRACE(args);
    EXPECT_EQ(PreviewHostHandle(args), handle);
  }
}

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
