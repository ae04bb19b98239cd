#include "startup/startup.h"

#include <gtest/gtest.h>

namespace orbisette {
namespace {

TEST(Startup, TheStartUpDecidesOnceForEveryCommandLine) {
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

TEST(Startup, OnlyTheRunAndTheDialogHoldTheNamedGuard) {
  const std::pair<const wchar_t*, bool> cases[] = {
      {L"/s", true},       {L"-S more", true}, {L"", true},   {L"/c", true},  {L"/c:5", true},
      {L"/p 1234", false}, {L"/P:77", false},  {L"S", false}, {L"/a", false}, {L"/?", false},
  };
  for (const auto& [args, holds] : cases) {
    SCOPED_TRACE(args);
    EXPECT_EQ(HoldsInstanceGuard(args), holds);
  }
}

}  // namespace
}  // namespace orbisette
