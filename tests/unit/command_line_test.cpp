#include "startup/command_line.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace orbisette
