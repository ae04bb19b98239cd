// Start-up as the screen-saver host drives it: the single-instance guard, the
// mode letters and the installation of the ball image.
#include <gtest/gtest.h>

#include "harness.h"

namespace e2e {
namespace {

constexpr auto QuickExit = 8000ms;  // a Wine process start is well under a second

// Starts the program; if it begins a run, ends it with Escape as a user would.
void StartAndEnd(const AppFolder& app, const std::wstring& arguments) {
  SaverProcess saver(app.Program(), arguments);
  ASSERT_TRUE(saver.Started());
  WaitUntil([&] { return saver.Exited() || ::IsWindowVisible(::FindWindowW(nullptr, L"Orbisette_Main")); }, 10s);
  if (!saver.Exited()) PressEscape();
  ASSERT_TRUE(saver.WaitForExit(10s)) << "the program did not end";
}

struct GuardCase {
  const wchar_t* Marker;
  const wchar_t* Arguments;
};

class SingleInstanceGuard : public ::testing::TestWithParam<GuardCase> {};

TEST_P(SingleInstanceGuard, EndsAtOnceAndTouchesNothing) {
  AppFolder app;
  WriteBytes(app.File(L"Orbisette.ini"), "[Section]\r\nx=1\r\n");
  const auto before = Snapshot(app.Path());
  MarkerWindow marker(GetParam().Marker);

  SaverProcess saver(app.Program(), GetParam().Arguments);
  ASSERT_TRUE(saver.Started());
  ASSERT_TRUE(saver.WaitForExit(QuickExit)) << "a second copy kept running";
  EXPECT_EQ(saver.ExitCode(), 0u);
  EXPECT_EQ(Snapshot(app.Path()), before);
  EXPECT_FALSE(PathExists(InstallDir));
}

INSTANTIATE_TEST_SUITE_P(EveryCommandLine, SingleInstanceGuard,
                         ::testing::Values(GuardCase{L"Orbisette_Main", L"/s"}, GuardCase{L"Orbisette_Main", L"/c"},
                                           GuardCase{L"Orbisette_Main", L"/p 1234"}, GuardCase{L"Orbisette_Main", L""},
                                           GuardCase{L"<Orbisette>", L"/s"}, GuardCase{L"<Orbisette>", L"/c"},
                                           GuardCase{L"<Orbisette>", L"/p 1234"}, GuardCase{L"<Orbisette>", L""}));

TEST(ModeLetter, LettersWithoutABranchEndAtOnceWithoutInstalling) {
  for (const wchar_t* arguments : {L"/A", L"S", L"-x", L"/?"}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(arguments)));
    AppFolder app;
    const auto before = Snapshot(app.Path());
    SaverProcess saver(app.Program(), arguments);
    ASSERT_TRUE(saver.WaitForExit(QuickExit));
    EXPECT_EQ(saver.ExitCode(), 0u);
    EXPECT_FALSE(PathExists(InstallDir));
    EXPECT_EQ(Snapshot(app.Path()), before);
  }
}

TEST(Install, TheRunCopiesTheImageOverAnEarlierCopy) {
  for (const wchar_t* arguments : {L"/s", L"-S", L""}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(arguments)));
    AppFolder app;
    ::CreateDirectoryW(InstallDir, nullptr);
    WriteBytes(InstalledImage, "an older picture");
    ASSERT_NO_FATAL_FAILURE(StartAndEnd(app, arguments));
    EXPECT_EQ(ReadBytes(InstalledImage), ReadBytes(app.File(L"Orbisette.dll")));
  }
}

TEST(Install, CreatesTheInstallFolder) {
  AppFolder app;
  ASSERT_FALSE(PathExists(InstallDir));
  ASSERT_NO_FATAL_FAILURE(StartAndEnd(app, L"/s"));
  EXPECT_EQ(ReadBytes(InstalledImage), ReadBytes(app.File(L"Orbisette.dll")));
}

TEST(Install, WithoutAnImageBesideTheProgramAnEarlierCopyStays) {
  AppFolder app(/*withImage=*/false);
  ::CreateDirectoryW(InstallDir, nullptr);
  const std::string earlier = ReadBytes(BuildDirectory() + L"\\Orbisette.dll");
  WriteBytes(InstalledImage, earlier);
  ASSERT_NO_FATAL_FAILURE(StartAndEnd(app, L"/s"));
  EXPECT_EQ(ReadBytes(InstalledImage), earlier);
}

}  // namespace
}  // namespace e2e
