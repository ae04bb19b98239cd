// The run's order of events, watched from inside: the harness makes a run in its
// own process and records what each of its windows is told, in order. From
// outside these steps are too quick to see.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "harness.h"
#include "saver/saver_run_win32.h"

namespace e2e {
namespace {

enum class Step { Move, Show, Destroy };
struct Event {
  Step What;
  HWND Hwnd;
  bool AnyVisible;  // whether any window of the run was visible at that moment
};

std::vector<Event>* Recording = nullptr;
std::vector<HWND> RunWindows;

LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam) {
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && Recording) {
    const bool anyVisible =
        std::any_of(RunWindows.begin(), RunWindows.end(), [](HWND h) { return h && ::IsWindowVisible(h); });
    if (m->message == WM_WINDOWPOSCHANGED && !(reinterpret_cast<const WINDOWPOS*>(m->lParam)->flags & SWP_NOMOVE)) {
      Recording->push_back({Step::Move, m->hwnd, anyVisible});
    }
    if (m->message == WM_SHOWWINDOW && m->wParam) Recording->push_back({Step::Show, m->hwnd, anyVisible});
    if (m->message == WM_DESTROY) Recording->push_back({Step::Destroy, m->hwnd, anyVisible});
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// The cursor's display counter of this thread, left as it was.
int CursorCounter() {
  const int below = ::ShowCursor(FALSE);
  ::ShowCursor(TRUE);
  return below + 1;
}

class RunFromInside : public ::testing::Test {
 protected:
  void SetUp() override {
    ::CreateDirectoryW(InstallDir, nullptr);
    ASSERT_TRUE(::CopyFileW((BuildDirectory() + L"\\Orbisette.dll").c_str(), InstalledImage, FALSE))
        << "without the image every ball would stop the run with a message box";
    Hook = ::SetWindowsHookExW(WH_CALLWNDPROC, Record, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(Hook, nullptr);
  }
  void TearDown() override {
    Recording = nullptr;
    if (Hook) ::UnhookWindowsHookEx(Hook);
    // The run's last window posted the quit that ends a program's message loop.
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  orbisette::Settings Loaded{0, 0, "", 15.0f, 1};
  AppFolder App;  // a clean C:\v_lumo before and after
  HHOOK Hook = nullptr;
};

TEST_F(RunFromInside, PlacedWhileHiddenShownMainFirstUnloadedOneToNineThenMain) {
  bool ended = false;
  orbisette::SaverRun run(Loaded, {}, [&] { ended = true; });
  std::vector<Event> start, end;
  RunWindows.assign(orbisette::BallCount, nullptr);
  Recording = &start;
  run.Start();
  for (std::size_t i = 0; i < orbisette::BallCount; ++i) RunWindows[i] = run.BallHandle(i);
  Recording = &end;
  run.End();
  Recording = nullptr;
  EXPECT_TRUE(ended);

  auto ballOf = [&](HWND h) { return std::find(RunWindows.begin(), RunWindows.end(), h) - RunWindows.begin(); };
  std::vector<long long> moved, shown, destroyed;
  for (const Event& e : start) {
    if (e.What == Step::Move) {
      moved.push_back(ballOf(e.Hwnd));
      EXPECT_FALSE(e.AnyVisible) << "ball " << ballOf(e.Hwnd) << " moved while a window showed";
    }
    if (e.What == Step::Show) shown.push_back(ballOf(e.Hwnd));
  }
  for (const Event& e : end) {
    if (e.What == Step::Destroy && ballOf(e.Hwnd) < 10) destroyed.push_back(ballOf(e.Hwnd));
  }
  const std::vector<long long> inOrder{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  EXPECT_EQ(moved, inOrder);
  EXPECT_EQ(shown, inOrder);
  EXPECT_EQ(destroyed, (std::vector<long long>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0}));
}

TEST_F(RunFromInside, TheStoredCounterIsTheShowFlagAtTheEnd) {
  struct Case {
    bool Hidden;
    int Stored;
    int Change;
  };
  for (const Case& c : {Case{true, -1, +1}, Case{true, -2, +1}, Case{true, 0, -1}, Case{false, -1, 0}}) {
    SCOPED_TRACE(::testing::Message() << c.Hidden << " " << c.Stored);
    orbisette::SaverRun run(Loaded, {c.Hidden, c.Stored}, [] {});
    run.Start();
    const int before = CursorCounter();
    run.End();
    EXPECT_EQ(CursorCounter(), before + c.Change);
    if (c.Hidden) {
      EXPECT_EQ(run.CursorShowCount(), before + c.Change);
    }
    // Put this thread's counter back for the next row.
    if (c.Change > 0) ::ShowCursor(FALSE);
    if (c.Change < 0) ::ShowCursor(TRUE);
  }
}

}  // namespace
}  // namespace e2e
