#include "harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <thread>
#include <utility>
#include <vector>

namespace e2e {
namespace {

std::wstring ThisProgramDirectory() {
  wchar_t buffer[MAX_PATH * 2] = {};
  const DWORD n = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH * 2);
  std::wstring path(buffer, n);
  return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring CurrentTestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (!info) return L"outside";
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  std::wstring wide;
  for (char c : name) wide += (c == '/' || c == '\\' || c == ':') ? L'_' : static_cast<wchar_t>(c);
  return wide;
}

}  // namespace

std::wstring BuildDirectory() { return ThisProgramDirectory(); }

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout, std::chrono::milliseconds step) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(step);
  }
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::string WineVersion() {
  using Version = const char*(CDECL*)();
  const auto version = reinterpret_cast<Version>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version")));
  return version ? version() : "";
}

bool PathExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void RemoveTree(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
      } while (::FindNextFileW(find, &data));
      ::FindClose(find);
    }
    ::RemoveDirectoryW(path.c_str());
  } else {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path.c_str());
  }
}

std::string ReadBytes(const std::wstring& path) {
  HANDLE h =
      ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  ::CloseHandle(h);
  return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  // A setup step that fails fails the test that asked for it, not just this helper.
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    ADD_FAILURE() << "cannot write the test file";
    return;
  }
  DWORD wrote = 0;
  if (!::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) || wrote != bytes.size()) {
    ADD_FAILURE() << "the test file was not written whole";
  }
  ::CloseHandle(h);
}

std::vector<std::wstring> Snapshot(const std::wstring& dir) {
  std::vector<std::wstring> entries;
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((dir + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    entries.push_back(name + L" " + std::to_wstring(data.nFileSizeLow) + L" " +
                      std::to_wstring(data.ftLastWriteTime.dwLowDateTime));
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      for (auto& inner : Snapshot(dir + L"\\" + name)) entries.push_back(name + L"\\" + inner);
    }
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return entries;
}

MarkerWindow::MarkerWindow(const wchar_t* title) {
  // A plain static control needs no class of our own; hidden windows are found too.
  Hwnd = ::CreateWindowExW(0, L"STATIC", title, WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
}

MarkerWindow::~MarkerWindow() {
  if (Hwnd) ::DestroyWindow(Hwnd);
}

SaverProcess::SaverProcess(const std::wstring& program, const std::wstring& arguments)
    : SaverProcess(program, arguments, false) {}

SaverProcess::SaverProcess(const std::wstring& program, const std::wstring& arguments, bool suspended) {
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  const std::wstring directory = program.substr(0, program.find_last_of(L'\\'));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, suspended ? CREATE_SUSPENDED : 0,
                       nullptr, directory.c_str(), &si, &pi)) {
    if (suspended) {
      ThreadHandle = pi.hThread;
    } else {
      ::CloseHandle(pi.hThread);
    }
    ProcessHandle = pi.hProcess;
    ProcessId = pi.dwProcessId;
  }
}

SaverProcess::SaverProcess(DWORD processId)
    : ProcessHandle(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId)),
      ProcessId(ProcessHandle ? processId : 0) {}

void SaverProcess::Resume() {
  if (!ThreadHandle) return;
  ::ResumeThread(ThreadHandle);
  ::CloseHandle(std::exchange(ThreadHandle, nullptr));
}

SaverProcess::~SaverProcess() {
  if (ThreadHandle) ::CloseHandle(ThreadHandle);
  if (!ProcessHandle) return;
  if (!Exited()) {
    ::TerminateProcess(ProcessHandle, 99);
    ::WaitForSingleObject(ProcessHandle, 5000);
  }
  ::CloseHandle(ProcessHandle);
}

bool SaverProcess::WaitForExit(std::chrono::milliseconds timeout) {
  return ProcessHandle && ::WaitForSingleObject(ProcessHandle, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

bool SaverProcess::Exited() const { return !ProcessHandle || ::WaitForSingleObject(ProcessHandle, 0) == WAIT_OBJECT_0; }

DWORD SaverProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (ProcessHandle) ::GetExitCodeProcess(ProcessHandle, &code);
  return code;
}

std::vector<HWND> SaverProcess::Windows() const { return WindowsOfProcess(ProcessId); }

std::vector<HWND> WindowsOfProcess(DWORD processId) {
  struct Search {
    DWORD Id;
    std::vector<HWND> Found;
  } search{processId, {}};
  ::EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        if (owner == s->Id) s->Found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

std::vector<HWND> SaverProcess::VisibleWindows() const {
  std::vector<HWND> visible = Windows();
  std::erase_if(visible, [](HWND hwnd) { return !::IsWindowVisible(hwnd); });
  return visible;
}

std::vector<std::pair<LONG, LONG>> SaverProcess::VisiblePlaces() const {
  std::vector<std::pair<LONG, LONG>> at;
  for (HWND hwnd : VisibleWindows()) {
    RECT r{};
    if (::GetWindowRect(hwnd, &r)) at.emplace_back(r.left, r.top);
  }
  std::sort(at.begin(), at.end());
  return at;
}

std::wstring HandleText(HWND hwnd) { return std::to_wstring(reinterpret_cast<INT_PTR>(hwnd)); }

std::chrono::milliseconds SaverProcess::CpuTime() const {
  FILETIME created, exited, kernel, user;
  if (!ProcessHandle || !::GetProcessTimes(ProcessHandle, &created, &exited, &kernel, &user)) return {};
  auto ticks = [](const FILETIME& ft) {
    return (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  };
  return std::chrono::milliseconds((ticks(kernel) + ticks(user)) / 10000);
}

AppFolder::AppFolder(bool withImage) {
  ::CreateDirectoryW(L"C:\\orbisette-e2e", nullptr);
  Folder = L"C:\\orbisette-e2e\\" + CurrentTestName();
  RemoveTree(Folder);
  RemoveTree(InstallDir);
  ::CreateDirectoryW(Folder.c_str(), nullptr);
  const std::wstring build = BuildDirectory();
  // A test must not pass on a folder that lacks what it says it holds.
  if (!::CopyFileW((build + L"\\Orbisette.scr").c_str(), Program().c_str(), FALSE)) {
    ADD_FAILURE() << "the program could not be copied into the application folder";
  }
  if (withImage && !::CopyFileW((build + L"\\Orbisette.dll").c_str(), File(L"Orbisette.dll").c_str(), FALSE)) {
    ADD_FAILURE() << "the ball image could not be copied into the application folder";
  }
}

AppFolder::~AppFolder() {
  RemoveTree(Folder);
  RemoveTree(InstallDir);
}

std::vector<MessageBoxInfo> MessageBoxesOf(DWORD processId) {
  std::vector<MessageBoxInfo> boxes;
  struct Search {
    DWORD Id;
    std::vector<MessageBoxInfo>* Out;
  } search{processId, &boxes};
  ::EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        wchar_t cls[64] = {};
        ::GetClassNameW(hwnd, cls, 64);
        if (owner != s->Id || std::wstring(cls) != L"#32770" || !::IsWindowVisible(hwnd)) return TRUE;
        MessageBoxInfo info{hwnd, {}, {}};
        wchar_t caption[256] = {};
        ::GetWindowTextW(hwnd, caption, 256);
        info.Caption = caption;
        // The message text is the box's static control 0xFFFF.
        wchar_t text[512] = {};
        ::GetDlgItemTextW(hwnd, 0xFFFF, text, 512);
        info.Text = text;
        s->Out->push_back(info);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return boxes;
}

std::vector<HWND> BallWindows(const SaverProcess& run) {
  std::vector<HWND> balls;
  for (HWND hwnd : run.Windows()) {
    wchar_t cls[16] = {};
    ::GetClassNameW(hwnd, cls, 16);
    if (::IsWindowVisible(hwnd) && std::wstring(cls) != L"#32770") balls.push_back(hwnd);
  }
  return balls;
}

std::optional<HostProcessStats> HostStatsOf(const std::wstring& program) {
  std::string wanted;
  for (wchar_t c : program) wanted += static_cast<char>(::towlower(c));
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW(L"Z:\\proc\\*", &data);
  if (find == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<HostProcessStats> found;
  do {
    const std::wstring pid = data.cFileName;
    if (pid.empty() || pid.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
    const std::wstring dir = L"Z:\\proc\\" + pid;
    std::string cmdline = ReadBytes(dir + L"\\cmdline");
    cmdline = cmdline.substr(0, cmdline.find('\0'));
    for (char& c : cmdline) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    if (cmdline != wanted) continue;
    // utime and stime are the 14th and 15th fields; the name in parentheses may hold blanks.
    const std::string stat = ReadBytes(dir + L"\\stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    HostProcessStats stats;
    unsigned long long utime = 0, stime = 0;
    if (std::sscanf(stat.c_str() + close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime,
                    &stime) == 2) {
      stats.CpuTicks = utime + stime;
    }
    const std::string status = ReadBytes(dir + L"\\status");
    const std::size_t rss = status.find("VmRSS:");
    if (rss != std::string::npos) stats.ResidentKiB = std::strtoull(status.c_str() + rss + 6, nullptr, 10);
    WIN32_FIND_DATAW fd;
    HANDLE fds = ::FindFirstFileW((dir + L"\\fd\\*").c_str(), &fd);
    if (fds != INVALID_HANDLE_VALUE) {
      do {
        stats.OpenFiles += fd.cFileName[0] != L'.';
      } while (::FindNextFileW(fds, &fd));
      ::FindClose(fds);
    }
    found = stats;
  } while (!found && ::FindNextFileW(find, &data));
  ::FindClose(find);
  return found;
}

void AnswerOk(HWND box) { ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

void MoveCursor(int x, int y) { ::SetCursorPos(x, y); }

void PressEscape() { PressKey(VK_ESCAPE); }

void PressKey(WORD virtualKey) {
  INPUT inputs[2] = {};
  inputs[0].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = virtualKey;
  inputs[1] = inputs[0];
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, inputs, sizeof(INPUT));
}

}  // namespace e2e

namespace e2e {
namespace {

// Bits packed the deflate way: first bit in the lowest place of each byte.
class BitWriter {
 public:
  void Put(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) Bit((value >> i) & 1u);
  }
  // A Huffman code goes out from its highest bit down.
  void Code(std::uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) Bit((code >> i) & 1u);
  }
  std::string Finish() {
    if (Filled) Bytes += static_cast<char>(Current);
    return std::move(Bytes);
  }

 private:
  void Bit(std::uint32_t bit) {
    Current |= bit << Filled;
    if (++Filled == 8) {
      Bytes += static_cast<char>(Current);
      Current = 0;
      Filled = 0;
    }
  }
  std::string Bytes;
  std::uint32_t Current = 0;
  int Filled = 0;
};

void PutBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

std::uint32_t Crc32(const std::string& bytes) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

}  // namespace

void PutChunk(std::string& png, const char* type, const std::string& data) {
  PutBigEndian(png, static_cast<std::uint32_t>(data.size()));
  const std::string typed = type + data;
  png += typed;
  PutBigEndian(png, Crc32(typed));
}

std::string BlankPng(std::uint32_t width, std::uint32_t height) {
  // Every row is a filter byte 0 and width x 4 zero bytes: the whole stream is
  // zeros, one literal and then copies of 258 bytes from one byte back.
  const std::uint64_t total = std::uint64_t{height} * (1 + std::uint64_t{width} * 4);
  BitWriter bits;
  bits.Put(1, 1);   // the last block
  bits.Put(2, 2);   // with codes of its own
  bits.Put(29, 5);  // 286 literal/length codes, up to 285 (a copy of 258)
  bits.Put(0, 5);   // one distance code (a distance of 1)
  bits.Put(14, 4);  // 18 code-length lengths, in deflate's order:
  for (std::uint32_t length : {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2}) bits.Put(length, 3);
  // Code-length codes: 18 (a run of zeros) "0", 1 "10", 2 "11". The lengths:
  // literal 0 and end 2 bits, copy 258 1 bit, distance 1 one bit.
  bits.Code(3, 2);                    // literal 0: 2
  bits.Code(0, 1), bits.Put(127, 7);  // 138 zeros
  bits.Code(0, 1), bits.Put(106, 7);  // 117 zeros: up to 255
  bits.Code(3, 2);                    // end of block: 2
  bits.Code(0, 1), bits.Put(17, 7);   // 28 zeros: 257 to 284
  bits.Code(2, 2);                    // 285: 1
  bits.Code(2, 2);                    // distance 1: 1
  // Literal 0 is "10", copy 258 "0" with distance "0", the end "11".
  bits.Code(2, 2);
  for (std::uint64_t i = 0; i < (total - 1) / 258; ++i) bits.Put(0, 2);
  for (std::uint64_t i = 0; i < (total - 1) % 258; ++i) bits.Code(2, 2);
  bits.Code(3, 2);

  std::string idat = "\x78\x01";  // zlib: deflate, 32 KiB window, no dictionary
  idat += bits.Finish();
  // Adler-32 of zeros: the low sum stays 1, the high one adds 1 per byte.
  PutBigEndian(idat, static_cast<std::uint32_t>((total % 65521) << 16 | 1));

  std::string png = "\x89PNG\r\n\x1a\n";
  std::string header;
  PutBigEndian(header, width);
  PutBigEndian(header, height);
  header += std::string("\x08\x06\x00\x00\x00", 5);  // 8-bit RGBA, deflate, filters, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", idat);
  PutChunk(png, "IEND", "");
  return png;
}

}  // namespace e2e
