// The soak's Windows side, played as the screen-saver host: a long run at speed
// 60 with rebound on, its resident memory, handles and open files every 30 s,
// the farthest any ball window strayed outside the screen and the time from
// Escape to the process's end; or the dialog opened and closed and the preview
// started and ended many times over, with the host side's own handles and
// memory. Prints figures, judges nothing.
// Usage: orbisette_soak.exe run SECONDS | orbisette_soak.exe cycles COUNT
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"
#include "settings/settings.h"

namespace {

using namespace e2e;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point begin) { return std::chrono::duration<double>(Clock::now() - begin).count(); }

// The handles a process holds. Wine answers GetProcessHandleCount with 0, but
// lists every process's handles in the system's handle table.
DWORD HandlesOf(const SaverProcess* process) {
  DWORD count = 0;
  const HANDLE handle = process ? process->Handle() : ::GetCurrentProcess();
  if (::GetProcessHandleCount(handle, &count) && count > 0) return count;
  struct Entry {
    ULONG OwnerPid;
    BYTE ObjectType, Flags;
    USHORT Value;
    PVOID Object;
    ULONG Access;
  };
  constexpr auto SystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
  constexpr auto InfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
  std::vector<ULONG_PTR> table(1 << 14);  // pointer-aligned; ULONG Count, then the entries
  NTSTATUS status;
  while ((status = ::NtQuerySystemInformation(SystemHandleInformation, table.data(),
                                              static_cast<ULONG>(table.size() * sizeof(ULONG_PTR)), nullptr)) ==
         InfoLengthMismatch) {
    table.resize(table.size() * 2);
  }
  if (status != 0) return 0;
  const ULONG entries = *reinterpret_cast<const ULONG*>(table.data());
  const auto* entry = reinterpret_cast<const Entry*>(table.data() + 1);
  const DWORD pid = process ? process->Id() : ::GetCurrentProcessId();
  for (ULONG i = 0; i < entries; ++i) count += entry[i].OwnerPid == pid;
  return count;
}

// This process's resident memory, from the host kernel: the process whose
// command line names this program, as the shell started it. (Z:\proc\self
// would be the Wine server, which opens files for its clients.)
unsigned long long OwnResidentKiB() {
  WIN32_FIND_DATAW data;
  const HANDLE find = ::FindFirstFileW(L"Z:\\proc\\*", &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  unsigned long long resident = 0;
  do {
    const std::wstring dir = L"Z:\\proc\\" + std::wstring(data.cFileName);
    std::string command = ReadBytes(dir + L"\\cmdline");
    command = command.substr(0, command.find('\0'));
    if (command.size() < 18 || command.compare(command.size() - 18, 18, "orbisette_soak.exe") != 0) continue;
    const std::string status = ReadBytes(dir + L"\\status");
    const std::size_t at = status.find("VmRSS:");
    if (at != std::string::npos) resident = std::strtoull(status.c_str() + at + 6, nullptr, 10);
  } while (!resident && ::FindNextFileW(find, &data));
  ::FindClose(find);
  return resident;
}

int Run(double seconds) {
  const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
  AppFolder app;
  WriteBytes(app.File(L"Orbisette.ini"), "[Section]\r\n" + std::string(orbisette::KeyMoveSpeed) + "= 60\r\n" +
                                             std::string(orbisette::KeyRebound) + "= 1\r\n");
  std::printf("run on %d x %d, speed 60, rebound on, %.0f s\n", width, height, seconds);
  SaverProcess saver(app.Program(), L"/s");
  if (!WaitUntil([&] { return saver.VisibleWindows().size() == 10 || saver.Exited(); }, 30s) || saver.Exited()) {
    std::printf("  the ten ball windows did not appear\n");
    return 1;
  }
  const std::vector<HWND> balls = saver.VisibleWindows();
  LONG beyondLeft = 0, beyondTop = 0, beyondRight = 0, beyondBottom = 0;
  std::size_t samples = 0;
  const auto begin = Clock::now();
  auto nextReport = begin;
  auto lastCpu = HostStatsOf(app.Program());
  auto lastReport = begin;
  for (;;) {
    for (HWND h : balls) {
      RECT r{};
      if (!::GetWindowRect(h, &r)) continue;
      beyondLeft = std::max(beyondLeft, -r.left);
      beyondTop = std::max(beyondTop, -r.top);
      beyondRight = std::max(beyondRight, r.right - width);
      beyondBottom = std::max(beyondBottom, r.bottom - height);
      ++samples;
    }
    if (Clock::now() >= nextReport) {
      const auto stats = HostStatsOf(app.Program());
      const double interval = SecondsSince(lastReport);
      // Clock ticks (100 a second) per second: percent of one core.
      const double cpu =
          stats && lastCpu && interval >= 1 ? static_cast<double>(stats->CpuTicks - lastCpu->CpuTicks) / interval : 0;
      std::printf("  t=%4.0f s  resident %7llu KiB  handles %4lu  open files %3llu  CPU %3.0f%%\n", SecondsSince(begin),
                  stats ? stats->ResidentKiB : 0, HandlesOf(&saver), stats ? stats->OpenFiles : 0, cpu);
      std::fflush(stdout);
      lastCpu = stats;
      lastReport = Clock::now();
      nextReport += 30s;
    }
    if (SecondsSince(begin) >= seconds || saver.Exited()) break;
    std::this_thread::sleep_for(10ms);
  }
  if (saver.Exited()) {
    std::printf("  the run ended by itself after %.0f s\n", SecondsSince(begin));
    return 1;
  }
  std::printf(
      "  farthest outside the screen (147-pixel windows, %zu rectangles sampled): left %ld, top %ld, right "
      "%ld, bottom %ld px\n",
      samples, std::max(0L, beyondLeft), std::max(0L, beyondTop), std::max(0L, beyondRight),
      std::max(0L, beyondBottom));
  const auto escape = Clock::now();
  PressEscape();
  const bool ended = saver.WaitForExit(10s);
  ::GetAsyncKeyState(VK_ESCAPE);  // read back, so that a later run does not see it
  std::printf("  Escape to the process's end: %s\n",
              ended ? (std::to_string(static_cast<long>(SecondsSince(escape) * 1000)) + " ms").c_str()
                    : "did not end within 10 s");
  return ended ? 0 : 1;
}

// A host window with a box for the preview, as the Screen Saver settings have.
HWND MakeHost() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"OrbisetteSoakHost";
  ::RegisterClassW(&wc);
  return ::CreateWindowExW(0, L"OrbisetteSoakHost", L"Soak host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 250,
                           nullptr, nullptr, wc.hInstance, nullptr);
}

HWND MakeBox(HWND host) {
  return ::CreateWindowExW(0, L"OrbisetteSoakHost", L"", WS_CHILD | WS_VISIBLE, 20, 20, 152, 112, host, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
}

// The host side's own figures, and the program's as it showed (0 before the first).
void HostLine(int cycle, double cycleSeconds, unsigned long long programKiB, DWORD programHandles) {
  std::printf(
      "    after %4d: host handles %4lu, host resident %7llu KiB | %4.0f ms a cycle; the program %llu KiB, %lu "
      "handles\n",
      cycle, HandlesOf(nullptr), OwnResidentKiB(), cycleSeconds * 1000, programKiB, programHandles);
  std::fflush(stdout);
}

// Says what went wrong in a cycle, if anything.
bool Failed(int cycle, bool shown, bool ended, bool hostEnabled, const SaverProcess& program) {
  if (shown && ended && hostEnabled) return false;
  std::printf("    cycle %d: %s (the program %s, exit code %lu)\n", cycle,
              !shown   ? "did not show"
              : !ended ? "did not end"
                       : "left the host window disabled",
              program.Exited() ? "ended" : "still running", program.ExitCode());
  return true;
}

int Cycles(int count) {
  AppFolder app(/*withImage=*/false);
  const HWND host = MakeHost();
  const std::wstring hostText = std::to_wstring(reinterpret_cast<INT_PTR>(host));
  const int every = std::max(1, count / 10);
  int failures = 0;

  std::printf("the dialog opened over the host window and closed, %d times\n", count);
  HostLine(0, 0, 0, 0);
  auto begin = Clock::now();
  for (int cycle = 1; cycle <= count; ++cycle) {
    SaverProcess dialog(app.Program(), L"/c:" + hostText);
    HWND shown = nullptr;
    PumpUntil(
        [&] {
          return ((shown = ::FindWindowW(nullptr, L"<Orbisette>")) && ::IsWindowVisible(shown)) || dialog.Exited();
        },
        10s);
    if (dialog.Exited()) shown = nullptr;
    const auto stats = HostStatsOf(app.Program());
    const DWORD handles = HandlesOf(&dialog);
    if (shown) ::PostMessageW(shown, WM_CLOSE, 0, 0);
    const bool ended = PumpUntil([&] { return dialog.Exited(); }, 10s);
    failures += Failed(cycle, shown != nullptr, ended, ::IsWindowEnabled(host) != 0, dialog);
    if (cycle % every == 0) {
      HostLine(cycle, SecondsSince(begin) / every, stats ? stats->ResidentKiB : 0, handles);
      begin = Clock::now();
    }
  }

  std::printf("the preview started in the host's box and ended with it, %d times\n", count);
  HostLine(0, 0, 0, 0);
  begin = Clock::now();
  for (int cycle = 1; cycle <= count; ++cycle) {
    const HWND box = MakeBox(host);
    SaverProcess preview(app.Program(), L"/p " + std::to_wstring(reinterpret_cast<INT_PTR>(box)));
    const bool shown =
        PumpUntil([&] { return ::GetWindow(box, GW_CHILD) != nullptr || preview.Exited(); }, 10s) && !preview.Exited();
    const auto stats = HostStatsOf(app.Program());
    const DWORD handles = HandlesOf(&preview);
    ::DestroyWindow(box);
    const bool ended = PumpUntil([&] { return preview.Exited(); }, 10s);
    failures += Failed(cycle, shown, ended, true, preview);
    if (cycle % every == 0) {
      HostLine(cycle, SecondsSince(begin) / every, stats ? stats->ResidentKiB : 0, handles);
      begin = Clock::now();
    }
  }
  ::DestroyWindow(host);
  std::printf("cycles that did not open, close or end as they should: %d\n", failures);
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "run" && argc > 2) return Run(std::atof(argv[2]));
  if (mode == "cycles" && argc > 2) return Cycles(std::atoi(argv[2]));
  std::fprintf(stderr, "usage: orbisette_soak.exe run SECONDS | orbisette_soak.exe cycles COUNT\n");
  return 2;
}
