// The Wine harness plays the screen-saver host: it lays out an application
// folder with Orbisette.scr, starts the program with a command line and looks at
// what a user and the host would see, through the Win32 API alone.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;

// Where the harness found the freshly built program and its ball image.
std::wstring BuildDirectory();

// Polls until done() or the timeout; true when done() held.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
               std::chrono::milliseconds step = 20ms);

// WaitUntil that answers this thread's own window messages meanwhile: a
// preview in the harness's box, or a dialog modal over its window, calls on
// them. A WM_QUIT that an in-process window's end posts goes with the rest.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// The middle value (the upper one of an even count); 0 for none.
double Median(std::vector<double> values);

// A window handle as a command line gives it, in decimal.
std::wstring HandleText(HWND hwnd);

// The Wine the harness runs on ("8.0", "10.0"), empty on Windows.
std::string WineVersion();

bool PathExists(const std::wstring& path);
void RemoveTree(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
// The names, sizes and write times of every file under dir, for "nothing changed" checks.
std::vector<std::wstring> Snapshot(const std::wstring& dir);

// A top-level window of a given title, owned by the harness, for the
// single-instance guard to find.
class MarkerWindow {
 public:
  explicit MarkerWindow(const wchar_t* title);
  MarkerWindow(const MarkerWindow&) = delete;
  MarkerWindow& operator=(const MarkerWindow&) = delete;
  ~MarkerWindow();

 private:
  HWND Hwnd = nullptr;
};

// The top-level windows (visible or not) of a process.
std::vector<HWND> WindowsOfProcess(DWORD processId);

// One started copy of the program; ended by force if it outlives its test.
class SaverProcess {
 public:
  SaverProcess(const std::wstring& program, const std::wstring& arguments);
  // A copy started some other way (from the host's shell), found by its id.
  explicit SaverProcess(DWORD processId);
  // Made but not yet running when suspended, until Resume: two copies can then
  // start within a millisecond or two of each other.
  SaverProcess(const std::wstring& program, const std::wstring& arguments, bool suspended);
  SaverProcess(const SaverProcess&) = delete;
  SaverProcess& operator=(const SaverProcess&) = delete;
  ~SaverProcess();

  bool Started() const { return ProcessHandle != nullptr; }
  void Resume();
  DWORD Id() const { return ProcessId; }
  bool WaitForExit(std::chrono::milliseconds timeout);
  bool Exited() const;
  DWORD ExitCode() const;
  // The process's top-level windows (visible or not), and the visible ones.
  std::vector<HWND> Windows() const;
  std::vector<HWND> VisibleWindows() const;
  // Where the visible windows' top-left corners are, sorted: the window list
  // follows the z-order, which may change.
  std::vector<std::pair<LONG, LONG>> VisiblePlaces() const;
  // The CPU time the process has used so far.
  std::chrono::milliseconds CpuTime() const;
  HANDLE Handle() const { return ProcessHandle; }

 private:
  HANDLE ProcessHandle = nullptr;
  HANDLE ThreadHandle = nullptr;  // kept only while suspended
  DWORD ProcessId = 0;
};

// A fresh application folder for one test: C:\orbisette-e2e\<name>, holding a
// copy of Orbisette.scr and, unless told otherwise, the ball image. C:\v_lumo is
// removed before each test so that every test sees its own install.
class AppFolder {
 public:
  explicit AppFolder(bool withImage = true);
  ~AppFolder();
  const std::wstring& Path() const { return Folder; }
  std::wstring File(const wchar_t* name) const { return Folder + L"\\" + name; }
  std::wstring Program() const { return File(L"Orbisette.scr"); }

 private:
  std::wstring Folder;
};

inline constexpr wchar_t InstallDir[] = L"C:\\v_lumo";
inline constexpr wchar_t InstalledImage[] = L"C:\\v_lumo\\Orbisette.dll";

// Message boxes (#32770) that belong to a process, with their text.
struct MessageBoxInfo {
  HWND Hwnd;
  std::wstring Caption;
  std::wstring Text;
};
std::vector<MessageBoxInfo> MessageBoxesOf(DWORD processId);
// A run's visible windows other than its message boxes: its balls.
std::vector<HWND> BallWindows(const SaverProcess& run);
void AnswerOk(HWND box);

// What the host kernel knows of a program running under Wine, read through
// Wine's Z: drive from /proc: CPU time in clock ticks (100 per second) and
// resident memory. Wine reports neither GDI objects nor another process's
// times, so these stand in; on Windows there is no /proc and the result is empty.
struct HostProcessStats {
  unsigned long long CpuTicks = 0;
  unsigned long long ResidentKiB = 0;
  // The Unix file descriptors the process holds (files, sockets, the server's).
  unsigned long long OpenFiles = 0;
};
std::optional<HostProcessStats> HostStatsOf(const std::wstring& program);

// The bytes of a PNG file of width x height fully transparent pixels (8-bit
// RGBA). Its pixel data is deflated about a thousandfold, so even a picture of
// a gigabyte's pixels makes a file of about a megabyte.
std::string BlankPng(std::uint32_t width, std::uint32_t height);
// Appends a PNG chunk: its length, type, data and CRC.
void PutChunk(std::string& png, const char* type, const std::string& data);

// Input as a user gives it.
void MoveCursor(int x, int y);
void PressEscape();
void PressKey(WORD virtualKey);

}  // namespace e2e
