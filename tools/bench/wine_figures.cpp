// The run's figures under Wine, side by side with the floor program: time from
// the process's start to ten visible windows, ticks per second and CPU per tick.
// Ticks are counted from outside, by the path the windows travel: at speed 15
// (one pixel a tick at 96 DPI, rebound off) the fastest axis of the ten balls
// moves one pixel a tick, as every floor window does. Prints figures, judges nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <thread>
#include <vector>

#include "harness.h"
#include "settings/settings.h"

namespace {

using namespace e2e;

struct Figures {
  double StartupMs = 0;
  double TicksPerSecond = 0;
  double CpuMsPerSecond = 0;
  double CpuMsPerTick() const { return TicksPerSecond > 0 ? CpuMsPerSecond / TicksPerSecond : 0; }
};

Figures Measure(const std::wstring& program, const std::wstring& arguments, int seconds) {
  Figures f;
  const auto begin = std::chrono::steady_clock::now();
  SaverProcess p(program, arguments);
  if (!WaitUntil([&] { return p.VisibleWindows().size() == 10 || p.Exited(); }, 30s) || p.Exited()) return f;
  f.StartupMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
  std::this_thread::sleep_for(1s);
  const std::vector<HWND> windows = p.VisibleWindows();
  std::map<HWND, POINT> last;
  std::map<HWND, std::pair<long, long>> path;
  const auto cpuBefore = HostStatsOf(program);
  const auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(seconds)) {
    for (HWND h : windows) {
      RECT r{};
      ::GetWindowRect(h, &r);
      if (last.contains(h)) {
        path[h].first += std::labs(r.left - last[h].x);
        path[h].second += std::labs(r.top - last[h].y);
      }
      last[h] = {r.left, r.top};
    }
    std::this_thread::sleep_for(3ms);
  }
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const auto cpuAfter = HostStatsOf(program);
  long longest = 0;
  for (const auto& [h, travelled] : path) longest = std::max({longest, travelled.first, travelled.second});
  f.TicksPerSecond = static_cast<double>(longest) / elapsed;
  if (cpuBefore && cpuAfter)
    f.CpuMsPerSecond = static_cast<double>(cpuAfter->CpuTicks - cpuBefore->CpuTicks) * 10.0 / elapsed;
  PressEscape();
  p.WaitForExit(5s);
  return f;
}

}  // namespace

int main() {
  constexpr int Rounds = 3, Seconds = 5;
  AppFolder app;
  // Rebound off, so each axis keeps a speed of 15 or 7.5 twips a tick.
  WriteBytes(app.File(L"Orbisette.ini"), "[Section]\r\n" + std::string(orbisette::KeyRebound) + "= 0\r\n");
  const std::wstring floor = BuildDirectory() + L"\\floor_program.exe";
  std::vector<double> runStart, runTicks, runCpu, floorStart, floorTicks, floorCpu;
  for (int round = 0; round < Rounds; ++round) {
    const Figures run = Measure(app.Program(), L"/s", Seconds);
    const Figures base = Measure(floor, L"", Seconds);
    std::printf("round %d: run %.0f ticks/s, %.2f ms CPU a tick; floor %.0f ticks/s, %.2f ms CPU a tick\n", round + 1,
                run.TicksPerSecond, run.CpuMsPerTick(), base.TicksPerSecond, base.CpuMsPerTick());
    runStart.push_back(run.StartupMs);
    runTicks.push_back(run.TicksPerSecond);
    runCpu.push_back(run.CpuMsPerTick());
    floorStart.push_back(base.StartupMs);
    floorTicks.push_back(base.TicksPerSecond);
    floorCpu.push_back(base.CpuMsPerTick());
  }
  std::printf("\nmedians over %d rounds of %d s      run     floor   run/floor\n", Rounds, Seconds);
  std::printf("process start to ten windows (ms)  %6.0f  %6.0f\n", Median(runStart), Median(floorStart));
  std::printf("ticks per second                   %6.1f  %6.1f  %6.2f\n", Median(runTicks), Median(floorTicks),
              Median(runTicks) / std::max(1.0, Median(floorTicks)));
  std::printf("CPU ms per tick (host process)     %6.2f  %6.2f  %6.2f\n", Median(runCpu), Median(floorCpu),
              Median(runCpu) / std::max(0.01, Median(floorCpu)));
  return 0;
}
