// The run as the host and the user see it: ten layered ball windows over the
// desktop that move, the cursor parked in its corner, and the run's end on mouse
// movement or Escape.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <thread>

#include "harness.h"
#include "platform/names.h"
#include "settings/settings.h"

#include <psapi.h>  // after <windows.h>

namespace e2e {
namespace {

constexpr int BallSide = 147;

struct ScreenSize {
  int Width = ::GetSystemMetrics(SM_CXSCREEN);
  int Height = ::GetSystemMetrics(SM_CYSCREEN);
};

std::wstring TitleOf(HWND hwnd) {
  wchar_t title[256] = {};
  ::GetWindowTextW(hwnd, title, 256);
  return title;
}

bool TenBallsShown(const SaverProcess& saver) { return saver.VisibleWindows().size() == 10; }

// A run started by the host; ended by force if the test has not ended it.
class Run : public ::testing::Test {
 protected:
  void Start(const std::wstring& arguments = L"/s") {
    Process.emplace(App.Program(), arguments);
    ASSERT_TRUE(Process->Started());
    ASSERT_TRUE(WaitUntil([&] { return TenBallsShown(*Process) || Process->Exited(); }, 20s))
        << "the ten ball windows did not appear";
    ASSERT_FALSE(Process->Exited()) << "the run ended by itself";
  }
  SaverProcess& Saver() { return *Process; }

  void ExpectEndsWithin(std::chrono::milliseconds limit) {
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(Process->WaitForExit(limit)) << "the run did not end";
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begin);
    std::printf("    the run ended %lld ms after the input\n", static_cast<long long>(took.count()));
    EXPECT_EQ(Process->ExitCode(), 0u);
    EXPECT_TRUE(Process->Windows().empty()) << "windows left behind";
  }

  AppFolder App;
  std::optional<SaverProcess> Process;
  ScreenSize Screen;
};

TEST_F(Run, TenLayeredTopmostBallWindowsThatMove) {
  Start();
  const std::vector<HWND> windows = Saver().VisibleWindows();
  int mainWindows = 0;
  int untitled = 0;
  std::vector<RECT> before;
  for (HWND hwnd : windows) {
    const std::wstring title = TitleOf(hwnd);
    mainWindows += title == L"Orbisette_Main";
    untitled += title.empty();
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    before.push_back(r);
    EXPECT_EQ(r.right - r.left, BallSide);
    EXPECT_EQ(r.bottom - r.top, BallSide);
    const LONG_PTR ex = ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED) << "not layered";
    EXPECT_TRUE(ex & WS_EX_TOPMOST) << "not topmost";
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW) << "would get a taskbar button";
    EXPECT_FALSE(ex & WS_EX_APPWINDOW) << "would get a taskbar button";
    EXPECT_FALSE(::GetWindowLongPtrW(hwnd, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME)) << "has a border";
    // A ball may overhang the left and top edge by 280 twips (19 px) and reaches
    // the right and bottom bound with its 120-pixel ball.
    EXPECT_GE(r.left, -20);
    EXPECT_GE(r.top, -20);
    EXPECT_LE(r.left, Screen.Width - 119);
    EXPECT_LE(r.top, Screen.Height - 119);
  }
  EXPECT_EQ(mainWindows, 1);
  EXPECT_EQ(untitled, 9);

  int moved = 0;
  WaitUntil(
      [&] {
        moved = 0;
        for (std::size_t i = 0; i < windows.size(); ++i) {
          RECT r{};
          ::GetWindowRect(windows[i], &r);
          moved += r.left != before[i].left || r.top != before[i].top;
        }
        return moved == 10;
      },
      3s);
  EXPECT_EQ(moved, 10) << "every ball moves at the default speed";

  PressEscape();
  ExpectEndsWithin(3s);
}

TEST_F(Run, TheCursorRestsInTheBottomRightCorner) {
  // With no argument the cursor stays visible but is parked all the same.
  for (const wchar_t* arguments : {L"/s", L""}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(arguments)));
    MoveCursor(100, 100);
    ASSERT_NO_FATAL_FAILURE(Start(arguments));
    POINT p{};
    EXPECT_TRUE(
        WaitUntil([&] { return ::GetCursorPos(&p) && p.x == Screen.Width - 1 && p.y == Screen.Height - 1; }, 3s))
        << p.x << "," << p.y;
    PressEscape();
    ASSERT_NO_FATAL_FAILURE(ExpectEndsWithin(3s));
  }
}

TEST_F(Run, SpeedZeroKeepsTheBallsStill) {
  WriteBytes(App.File(L"Orbisette.ini"), "[Section]\r\n" + std::string(orbisette::KeyMoveSpeed) + "= 0\r\n");
  Start();
  const auto before = Saver().VisiblePlaces();
  std::this_thread::sleep_for(500ms);  // fifty ticks in which nothing may move
  EXPECT_EQ(Saver().VisiblePlaces(), before);
  PressEscape();
  ExpectEndsWithin(3s);
}

struct CursorCase {
  int Dx;  // pixels left of the right edge
  int Dy;  // pixels above the bottom edge
  bool Ends;
};

class CursorLimit : public Run, public ::testing::WithParamInterface<CursorCase> {};

TEST_P(CursorLimit, EndsOnlyBeyondThirtyPixels) {
  Start();
  MoveCursor(Screen.Width - GetParam().Dx, Screen.Height - GetParam().Dy);
  if (GetParam().Ends) {
    ExpectEndsWithin(1500ms);
  } else {
    EXPECT_FALSE(Saver().WaitForExit(1s)) << "the run ended inside the corner";
    EXPECT_TRUE(TenBallsShown(Saver()));
    PressEscape();
    ExpectEndsWithin(3s);
  }
}

INSTANTIATE_TEST_SUITE_P(Corner, CursorLimit,
                         ::testing::Values(CursorCase{30, 1, false}, CursorCase{1, 30, false},
                                           CursorCase{30, 30, false}, CursorCase{31, 1, true}, CursorCase{1, 31, true},
                                           CursorCase{500, 400, true}));

TEST_F(Run, ASecondStartLeavesTheRunAlone) {
  Start();
  const auto shown = Saver().VisibleWindows();
  const std::set<HWND> first(shown.begin(), shown.end());
  SaverProcess second(App.Program(), L"/s");
  ASSERT_TRUE(second.WaitForExit(8s));
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_FALSE(Saver().Exited());
  const auto now = Saver().VisibleWindows();
  EXPECT_EQ(std::set<HWND>(now.begin(), now.end()), first);
  PressEscape();
  ExpectEndsWithin(3s);
}

// An Escape pressed long before the run and never asked about since, and a
// guard whose holder died (kept open here, as a crashed run's threads keep it).
TEST_F(Run, AStaleEscapeOrADeadGuardLeavesTheRunRunning) {
  for (bool deadGuard : {false, true}) {
    HANDLE guard = nullptr;
    const auto take = [&] { guard = ::CreateMutexW(nullptr, TRUE, orbisette::InstanceGuardName); };
    deadGuard ? std::thread(take).join() : PressEscape();  // the Escape is not read back here
    Start();
    std::this_thread::sleep_for(1s);
    ASSERT_FALSE(Saver().Exited()) << "the run ended by itself";
    PressEscape();
    ExpectEndsWithin(3s);
    if (guard) ::CloseHandle(guard);
  }
}

// With no image installed every ball window says so in a message box while the
// run starts; the animation timer already ticks underneath, and an Escape from
// before the run, never read back, does not end it there.
TEST(RunWithoutImage, EachWindowReportsItOnceAndTheRunGoesOn) {
  AppFolder app(/*withImage=*/false);
  PressEscape();
  SaverProcess run(app.Program(), L"/s");
  ASSERT_TRUE(run.Started());
  int boxes = 0;
  WaitUntil(
      [&] {
        for (const auto& box : MessageBoxesOf(run.Id())) {
          EXPECT_EQ(box.Text, L"イメージの取得に失敗しました2");
          EXPECT_EQ(box.Caption, L"Orbisette");
          if (boxes == 0) {
            // The first as a user answers it: Enter, with the mouse left where it is.
            ::SetForegroundWindow(box.Hwnd);
            EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == box.Hwnd; }, 5s));
            PressKey(VK_RETURN);
          } else {
            AnswerOk(box.Hwnd);
          }
          EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box.Hwnd); }, 5s)) << "the box stayed";
          ++boxes;
        }
        return boxes >= 10 || run.Exited();
      },
      30s, 50ms);
  EXPECT_EQ(boxes, 10);
  ASSERT_TRUE(WaitUntil([&] { return TenBallsShown(run); }, 10s)) << "the run did not go on";
  std::this_thread::sleep_for(300ms);  // thirty ticks in which no further box may come
  EXPECT_TRUE(MessageBoxesOf(run.Id()).empty()) << "a further box";
  for (HWND hwnd : run.VisibleWindows()) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.right - r.left, BallSide);  // plain borderless windows now
  }
  PressEscape();
  ASSERT_TRUE(run.WaitForExit(3s));
  EXPECT_TRUE(run.Windows().empty());
}

TEST(RunWithoutImage, MovingTheMouseToTheFirstBoxEndsTheRun) {
  AppFolder app(/*withImage=*/false);
  SaverProcess run(app.Program(), L"/s");
  std::vector<MessageBoxInfo> boxes;
  ASSERT_TRUE(WaitUntil([&] { return !(boxes = MessageBoxesOf(run.Id())).empty(); }, 20s));
  RECT r{};
  ::GetWindowRect(boxes.front().Hwnd, &r);
  MoveCursor((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  ASSERT_TRUE(run.WaitForExit(3s)) << "ticks under the box did not end the run";
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_TRUE(run.Windows().empty());
}

// Ten seconds of watching (a thousand ball moves a second): the slow suite,
// which the full test command runs and tools/run-tests.sh --quick leaves out.
// The ten-minute watch is the soak, tools/bench/run-soak.sh.
class SlowRun : public Run {};

TEST_F(SlowRun, ResourcesStayFlatOverTenSeconds) {
  Start();
  struct Sample {
    DWORD Gdi, User;
    unsigned long long ResidentKiB;
  };
  auto sample = [&] {
    const auto host = HostStatsOf(App.Program());
    return Sample{::GetGuiResources(Saver().Handle(), GR_GDIOBJECTS),
                  ::GetGuiResources(Saver().Handle(), GR_USEROBJECTS), host ? host->ResidentKiB : 0};
  };
  std::this_thread::sleep_for(2s);
  const Sample first = sample();
  if (PathExists(L"Z:\\proc")) {
    ASSERT_GT(first.ResidentKiB, 0u) << "the saver's host process was not found";
  }
  std::this_thread::sleep_for(10s);
  const Sample last = sample();
  std::printf("    over 10 s: GDI objects %lu -> %lu, USER objects %lu -> %lu, resident KiB %llu -> %llu\n", first.Gdi,
              last.Gdi, first.User, last.User, first.ResidentKiB, last.ResidentKiB);
  // Under Wine GetGuiResources answers 0 for every process; the resident memory
  // of the Linux process then shows a leak instead: 35 KiB a second, a few
  // hundred bytes lost a tick, is a leak.
  EXPECT_EQ(last.Gdi, first.Gdi);
  EXPECT_EQ(last.User, first.User);
  EXPECT_LE(last.ResidentKiB, first.ResidentKiB + 350) << "memory grows while the balls move";
  EXPECT_FALSE(Saver().Exited());
  PressEscape();
  ExpectEndsWithin(3s);
}

}  // namespace
}  // namespace e2e
