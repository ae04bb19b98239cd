// The single-instance guard against starts that come together: two runs, or a
// run and the dialog, started within a few milliseconds make exactly one of
// them; the preview never holds the guard, so the host's dialog opens beside it,
// while a run already open still turns a preview away.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <thread>

#include "harness.h"
#include "platform/names.h"

namespace e2e {
namespace {

HWND ShownDialog() {
  const HWND dialog = ::FindWindowW(nullptr, L"<Orbisette>");
  return dialog && ::IsWindowVisible(dialog) ? dialog : nullptr;
}

// Ends whatever a trial left open: a run with Escape, a dialog with its close box.
void EndAll(std::unique_ptr<SaverProcess> (&started)[2]) {
  if (const HWND dialog = ShownDialog()) ::PostMessageW(dialog, WM_CLOSE, 0, 0);
  PressEscape();
  for (auto& process : started) EXPECT_TRUE(process->WaitForExit(5s)) << "a start did not end";
  ::GetAsyncKeyState(VK_ESCAPE);  // read back, so that the next run does not see it
}

struct RaceCase {
  const char* Name;
  const wchar_t* First;
  const wchar_t* Second;
  int Trials;
};

class RaceGuard : public ::testing::TestWithParam<RaceCase> {};

TEST_P(RaceGuard, StartsTogetherMakeExactlyOneRunOrDialog) {
  const auto [name, first, second, trials] = GetParam();
  AppFolder app;
  int twice = 0;
  std::chrono::steady_clock::duration widest{};
  for (int trial = 1; trial <= trials; ++trial) {
    SCOPED_TRACE(trial);
    // Odd trials start them in one order, even ones in the other.
    const bool swap = trial % 2 == 0;
    std::unique_ptr<SaverProcess> started[2] = {
        std::make_unique<SaverProcess>(app.Program(), swap ? second : first, /*suspended=*/true),
        std::make_unique<SaverProcess>(app.Program(), swap ? first : second, /*suspended=*/true)};
    const auto begin = std::chrono::steady_clock::now();
    for (auto& process : started) process->Resume();
    widest = std::max(widest, std::chrono::steady_clock::now() - begin);
    // One has shown itself (ten balls or the dialog) and the other has gone.
    auto shows = [&](const SaverProcess& p) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(ShownDialog(), &owner);
      return !p.Exited() && (p.VisibleWindows().size() >= 10 || owner == p.Id());
    };
    WaitUntil(
        [&] { return (shows(*started[0]) || shows(*started[1])) && (started[0]->Exited() || started[1]->Exited()); },
        15s);  // once one has gone for good, no late second run can show
    const int running = !started[0]->Exited() + !started[1]->Exited();
    twice += running == 2;
    EXPECT_EQ(running, 1);
    for (const auto& process : started) {
      if (process->Exited()) {
        EXPECT_EQ(process->ExitCode(), 0u);
      } else {
        EXPECT_TRUE(shows(*process)) << "the one left running shows nothing";
      }
    }
    EndAll(started);
  }
  std::printf("    %ls and %ls together (resumed within %lld us): both ran in %d of %d trials\n", first, second,
              static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(widest).count()), twice,
              trials);
}

INSTANTIATE_TEST_SUITE_P(Together, RaceGuard,
                         ::testing::Values(RaceCase{"TwoRuns", L"/s", L"/s", 10},
                                           RaceCase{"DialogAndRun", L"/c", L"/s", 6},
                                           RaceCase{"TwoDialogs", L"/c", L"/c", 4}),
                         [](const auto& row) { return std::string(row.param.Name); });

// The box of a preview host in a process of its own, once it is up.
HWND WaitForHostBox() {
  HWND box = nullptr;
  WaitUntil([&] { return (box = ::GetWindow(::FindWindowW(nullptr, L"Orbisette preview host"), GW_CHILD)) != nullptr; },
            10s);
  return box;
}

TEST(RaceGuardPreview, APreviewStartWhileARunIsOpenEndsAtOnce) {
  AppFolder app;
  SaverProcess run(app.Program(), L"/s");
  ASSERT_TRUE(WaitUntil([&] { return run.VisibleWindows().size() == 10; }, 20s));
  SaverProcess host(BuildDirectory() + L"\\orbisette_preview_host.exe", L"152 112");
  const HWND box = WaitForHostBox();
  ASSERT_NE(box, nullptr);
  SaverProcess preview(app.Program(), L"/p " + HandleText(box));
  ASSERT_TRUE(preview.WaitForExit(8s)) << "the preview started beside the run";
  EXPECT_EQ(preview.ExitCode(), 0u);
  PressEscape();
  EXPECT_TRUE(run.WaitForExit(3s));
  ::GetAsyncKeyState(VK_ESCAPE);
}

// The Screen Saver settings keep their preview running while "Settings…" opens
// the dialog, also over the guard of a run that crashed: the preview's look
// takes that guard over, and gives it back at once.
TEST(RaceGuardPreview, TheDialogOpensWhileThePreviewRuns) {
  AppFolder app;
  HANDLE dead = nullptr;
  std::thread([&] { dead = ::CreateMutexW(nullptr, TRUE, orbisette::InstanceGuardName); }).join();
  SaverProcess host(BuildDirectory() + L"\\orbisette_preview_host.exe", L"152 112");
  const HWND box = WaitForHostBox();
  ASSERT_NE(box, nullptr);
  SaverProcess preview(app.Program(), L"/p " + HandleText(box));
  ASSERT_TRUE(WaitUntil([&] { return ::GetWindow(box, GW_CHILD) != nullptr; }, 10s)) << "no preview";

  SaverProcess dialog(app.Program(), L"/c:" + HandleText(::GetParent(box)));
  HWND shown = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (shown = ShownDialog()) != nullptr || dialog.Exited(); }, 10s));
  EXPECT_NE(shown, nullptr) << "the preview turned the dialog away";
  EXPECT_FALSE(preview.Exited());
  if (shown) ::PostMessageW(shown, WM_CLOSE, 0, 0);
  EXPECT_TRUE(dialog.WaitForExit(5s));
  ::TerminateProcess(host.Handle(), 1);
  EXPECT_TRUE(preview.WaitForExit(5s)) << "the preview outlived its host";
  ::CloseHandle(dead);
}

}  // namespace
}  // namespace e2e
