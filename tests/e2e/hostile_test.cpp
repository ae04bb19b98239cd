// What a crashed run or a careless host leaves for the next start: a guard
// whose holder died, and an Escape pressed long before the run that nobody has
// asked about since.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "harness.h"
#include "startup/names.h"

namespace e2e {
namespace {

bool Shows(const SaverProcess& process, std::size_t windows) {
  const auto all = process.Windows();
  return static_cast<std::size_t>(std::count_if(all.begin(), all.end(), ::IsWindowVisible)) == windows;
}

// Ten balls, then Escape ends the run.
void RunsUntilEscape(const AppFolder& app) {
  SaverProcess run(app.Program(), L"/s");
  ASSERT_TRUE(WaitUntil([&] { return Shows(run, 10) || run.Exited(); }, 20s));
  std::this_thread::sleep_for(1s);
  ASSERT_FALSE(run.Exited()) << "the run ended by itself";
  PressEscape();
  ASSERT_TRUE(run.WaitForExit(3s)) << "Escape did not end the run";
  EXPECT_EQ(run.ExitCode(), 0u);
  ::GetAsyncKeyState(VK_ESCAPE);  // read back, so that the next run does not see it
}

TEST(Hostile, AGuardWhoseHolderDiedIsTakenOver) {
  // Taken by a thread that ends without letting it go, and kept open here, as
  // the threads of a run that crashed keep it.
  HANDLE guard = nullptr;
  std::thread([&] { guard = ::CreateMutexW(nullptr, TRUE, orbisette::InstanceGuardName); }).join();
  ASSERT_NE(guard, nullptr);
  AppFolder app;
  RunsUntilEscape(app);
  SaverProcess dialog(app.Program(), L"/c");
  EXPECT_TRUE(WaitUntil([&] { return ::FindWindowW(nullptr, L"<Orbisette>") || dialog.Exited(); }, 10s));
  EXPECT_FALSE(dialog.Exited()) << "the dialog was turned away";
  ::PostMessageW(::FindWindowW(nullptr, L"<Orbisette>"), WM_CLOSE, 0, 0);
  EXPECT_TRUE(dialog.WaitForExit(5s));
  ::CloseHandle(guard);
}

TEST(Hostile, AnEscapeFromBeforeTheRunLeavesItRunning) {
  AppFolder app;
  PressEscape();  // not read back: the key's "pressed since" bit waits for the next to ask
  RunsUntilEscape(app);
}

}  // namespace
}  // namespace e2e
