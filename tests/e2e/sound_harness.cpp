#include "sound_harness.h"

#include <gtest/gtest.h>

#include <cstring>

#include "five_keys.h"
#include "settings/settings.h"

#include <tlhelp32.h>  // after <windows.h>

namespace e2e {
namespace {

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// The text of a Wine debugstr: L"..." with \" and \\ escaped.
std::string Unescape(const std::string& line, std::size_t& pos) {
  std::string text;
  for (; pos < line.size() && line[pos] != '"'; ++pos) {
    if (line[pos] == '\\' && pos + 1 < line.size()) {
      ++pos;
      text += line[pos] == 'n' ? '\n' : line[pos];
    } else {
      text += line[pos];
    }
  }
  ++pos;
  return text;
}

std::set<DWORD> SaverIds() {
  std::set<DWORD> ids;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, L"Orbisette.scr") == 0) ids.insert(entry.th32ProcessID);
  }
  ::CloseHandle(snapshot);
  return ids;
}

}  // namespace

Tick Now() { return static_cast<Tick>(::GetTickCount64()); }

std::string Narrow(const std::wstring& ascii) {
  std::string narrow;
  for (wchar_t c : ascii) narrow += static_cast<char>(c);
  return narrow;
}

// ---- The host's side: a folder, shell steps, the sound server, the recorder.

std::wstring HostFolder::File(const std::string& name) const { return Windows + L"\\" + Widen(name); }

std::optional<HostFolder> MakeHostFolder() {
  char prefix[1024] = {};
  const DWORD n = ::GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
  if (n == 0 || n >= sizeof prefix || prefix[0] != '/') return std::nullopt;
  HostFolder folder{std::string(prefix) + "/music-e2e", L"Z:"};
  for (char c : folder.Unix) folder.Windows += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  ::CreateDirectoryW(folder.Windows.c_str(), nullptr);
  return PathExists(folder.Windows) ? std::optional(folder) : std::nullopt;
}

Recording::Recording(HostShell& shell, const std::string& name) : Shell(shell), Name(name) {
  Started = shell.Spawn("echo $$ >" + name + ".pid\nexec timeout 120 parec --server=" + SoundServer::Address(shell) +
                        " -d testsink.monitor --raw --format=s16le --rate=8000 " + "--channels=1 --latency-msec=10 >" +
                        name + ".raw");
  Watcher = std::thread([this] {
    WIN32_FILE_ATTRIBUTE_DATA data;
    while (!Stopping) {
      const Tick now = Now();
      if (::GetFileAttributesExW(Shell.Folder().File(Name + ".raw").c_str(), GetFileExInfoStandard, &data) &&
          data.nFileSizeLow > 0) {
        std::lock_guard lock(Mutex);
        Anchor = std::min(Anchor, now - data.nFileSizeLow / BytesPerMs);
      }
      std::this_thread::sleep_for(5ms);
    }
  });
}

// ---- Wine's trace of one run.

namespace {

// "<seconds>.<ms>:<pid>:<tid>:trace:<channel>:<function> <message>"; each
// parser reads one function's message and says false when it cannot.
using LineParser = bool (*)(const std::string& message, Tick at, std::vector<TraceEvent>& events);

// The program's command and its reply length, '(L"<command>", <buffer>, <length>, <callback>)';
// the result, "=> 2/ <code> ..." with the reply as L"..." when there is one; and
// three forms of Wine's own steps between them: the parsed verb and device, the
// command's parameters, and the first result line.
bool ParseMciSendString(const std::string& message, Tick at, std::vector<TraceEvent>& events) {
  if (message.starts_with("verb=L\"") || message.starts_with("[") || message.starts_with("=> 1/ ")) return true;
  if (message.starts_with("(L\"")) {
    std::size_t p = 3;
    std::string text = Unescape(message, p);
    const std::size_t comma = message.find(", ", p + 2);
    if (comma == std::string::npos) return false;
    events.push_back({TraceEvent::Mci, at, text, std::atoll(message.c_str() + comma + 2)});
    return true;
  }
  if (!message.starts_with("=> 2/ ")) return false;
  const long long code = std::strtoll(message.c_str() + 6, nullptr, 16);
  std::size_t r = message.find("(L\"", 6);
  events.push_back({TraceEvent::MciResult, at, r == std::string::npos ? "" : Unescape(message, r += 3), code});
  return true;
}

// "pszSound='<name or 0000000000000000>' hmod=... fdwSound=<hex flags>"
bool ParsePlaySound(const std::string& message, Tick at, std::vector<TraceEvent>& events) {
  const std::size_t flags = message.find("fdwSound=");
  if (!message.starts_with("pszSound='") || flags == std::string::npos) return false;
  const bool none = message.compare(10, 17, "0000000000000000'") == 0;
  events.push_back({TraceEvent::Sound, at, none ? "" : "name", std::strtoll(message.c_str() + flags + 9, nullptr, 16)});
  return true;
}

bool ParseDeviceCount(const std::string& message, Tick at, std::vector<TraceEvent>& events) {
  if (!message.starts_with("count: ")) return false;
  events.push_back({TraceEvent::Devices, at, "", std::atoll(message.c_str() + 7)});
  return true;
}

bool Skip(const std::string&, Tick, std::vector<TraceEvent>&) { return true; }

// Every function of the two channels that Wine 8.0 and Wine 10.0 trace in
// these runs (the same in both), with the parser of its message: the ones the
// tests read, and the ones known to say nothing they need.
const std::map<std::string, LineParser, std::less<>>& KnownLines() {
  static const std::map<std::string, LineParser, std::less<>> known = [] {
    std::map<std::string, LineParser, std::less<>> lines = {
        {"mci:mciSendStringW", ParseMciSendString},
        {"winmm:MULTIMEDIA_PlaySound", ParsePlaySound},
        {"winmm:waveOutGetNumDevs", ParseDeviceCount},
    };
    for (const char* mci : {"mciGetDriverData", "mciSetDriverData", "mciLoadCommandResource", "mciFreeCommandResource",
                            "MCI_ParseOptArgs", "MCI_LoadMciDriver", "MCI_SetCommandTable", "MCI_IsCommandTableValid",
                            "MCI_GetCommandTable", "MCI_Close"}) {
      lines.emplace(std::string("mci:") + mci, Skip);
    }
    for (const char* winmm : {"DllMain",
                              "MMDRV_Init",
                              "MMDRV_InitPerType",
                              "MMDRV_Install",
                              "MMDRV_Message",
                              "MMDRV_GetNum",
                              "MMDRV_Get",
                              "MMDRV_GetByID",
                              "WINMM_StartDevicesThread",
                              "WINMM_DevicesThreadProc",
                              "WINMM_BeginPlaying",
                              "WINMM_PrepareHeader",
                              "WINMM_UnprepareHeader",
                              "WINMM_Reset",
                              "WOD_PushData",
                              "WOD_Close",
                              "waveOutGetDevCapsW",
                              "midiOutGetDevCapsW",
                              "waveOutOpen",
                              "waveOutClose",
                              "waveOutWrite",
                              "waveOutPrepareHeader",
                              "waveOutUnprepareHeader",
                              "waveOutReset",
                              "proc_PlaySound",
                              "PlaySound_Callback",
                              "get_mmioFromProfile"}) {
      lines.emplace(std::string("winmm:") + winmm, Skip);
    }
    return lines;
  }();
  return known;
}

}  // namespace

RunTrace ReadTrace(const std::wstring& file) {
  RunTrace trace;
  const std::string all = ReadBytes(file);
  std::size_t start = 0;
  while (start < all.size()) {
    std::size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    const std::string line = all.substr(start, end - start);
    start = end + 1;
    const std::size_t mark = line.find(":trace:");
    if (mark == std::string::npos) continue;  // another class (fixme, err) or a message's second line
    const std::size_t name = mark + 7, space = line.find(' ', name);
    const std::string function = line.substr(name, space == std::string::npos ? std::string::npos : space - name);
    if (!function.starts_with("mci:") && !function.starts_with("winmm:")) continue;
    const auto known = KnownLines().find(function);
    const std::string message = space == std::string::npos ? "" : line.substr(space + 1);
    const Tick at = std::strtod(line.c_str(), nullptr) * 1000.0;
    if (known == KnownLines().end() || !known->second(message, at, trace.Events)) trace.Unknown.push_back(line);
  }
  return trace;
}

bool WinesOwn(const TraceEvent& e) { return e.What == TraceEvent::Mci && e.Value == 6 && e.Text.ends_with(" wait"); }

std::vector<std::string> ProgramCommands(const std::vector<TraceEvent>& events) {
  std::vector<std::string> commands;
  for (const TraceEvent& e : events) {
    if (e.What == TraceEvent::Mci && !WinesOwn(e)) commands.push_back(e.Text + "|" + std::to_string(e.Value));
  }
  return commands;
}

// ---- One run of the saver, started from the host's shell.

MusicRun::MusicRun(HostShell& shell, const AppFolder& app, const std::string& pulseServer, const std::string& channels)
    : Shell(shell), Name("trace" + std::to_string(++Runs)) {
  const std::set<DWORD> before = SaverIds();
  const std::string program = Narrow(app.Program());
  StartedAt = Now();
  shell.Spawn("export PULSE_SERVER=" + pulseServer + " WINEDEBUG=" + channels + "\nexec wine '" + program + "' /s 2>" +
              Name + ".log");
  DWORD id = 0;
  WaitUntil(
      [&] {
        for (DWORD candidate : SaverIds()) {
          if (!before.contains(candidate)) id = candidate;
        }
        return id != 0;
      },
      20s);
  if (id) {
    Process.emplace(id);
    Windows.Follow(id);
  }
}

std::vector<TraceEvent> MusicRun::Trace() {
  RunTrace trace = ReadTrace(Shell.Folder().File(Name + ".log"));
  if (!trace.Unknown.empty() && !std::exchange(UnknownSaid, true)) {
    ADD_FAILURE() << "unknown trace format (" << trace.Unknown.size() << " lines), first: " << trace.Unknown[0];
  }
  return std::move(trace.Events);
}

// ---- The run's windows, watched.

WindowWatch::WindowWatch() {
  Current = this;
  Watcher = std::thread([this] {
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, for the hook and the quit
    const HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_DESTROY, EVENT_OBJECT_SHOW, nullptr, OnEvent, 0, 0,
                                                 WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    ThreadId = ::GetCurrentThreadId();
    for (;;) {
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
          if (hook) ::UnhookWinEvent(hook);
          return;
        }
        ::DispatchMessageW(&msg);
      }
      Poll();
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
  });
  WaitUntil([&] { return ThreadId != 0; }, 5s, 1ms);
}

WindowWatch::~WindowWatch() {
  while (!ThreadId) std::this_thread::sleep_for(1ms);
  ::PostThreadMessageW(ThreadId, WM_QUIT, 0, 0);
  Watcher.join();
  Current = nullptr;
}

void CALLBACK WindowWatch::OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD time) {
  if (!Current || object != OBJID_WINDOW || child != CHILDID_SELF) return;
  // The event's own moment, on the 32-bit tick count that Now() extends.
  const Tick now = Now();
  const Tick at = now - static_cast<std::int32_t>(static_cast<DWORD>(now) - time);
  Current->Note(event == EVENT_OBJECT_SHOW ? Current->Shown : Current->Gone, hwnd, at);
}

void WindowWatch::Note(std::map<HWND, Tick>& moments, HWND hwnd, Tick at) {
  std::lock_guard lock(Mutex);
  const auto [place, added] = moments.emplace(hwnd, at);
  if (!added) place->second = std::min(place->second, at);
}

void WindowWatch::Poll() {
  const DWORD process = Process;
  if (!process) return;
  const Tick now = Now();
  std::vector<HWND> known;
  {
    std::lock_guard lock(Mutex);
    for (const auto& [hwnd, at] : Shown) known.push_back(hwnd);
  }
  for (HWND hwnd : known) {
    if (!::IsWindow(hwnd)) Note(Gone, hwnd, now);
  }
  // Which windows the process shows: every tenth poll, since the gone are what needs the millisecond.
  if (++Polls % 10 != 1) return;
  struct Search {
    DWORD Process;
    std::vector<HWND> Visible;
  } search{process, {}};
  ::EnumWindows(
      [](HWND hwnd, LPARAM found) {
        auto& s = *reinterpret_cast<Search*>(found);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        if (owner == s.Process && ::IsWindowVisible(hwnd)) s.Visible.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  for (HWND hwnd : search.Visible) Note(Shown, hwnd, now);
}

Tick WindowWatch::First(const std::map<HWND, Tick>& moments, const std::set<HWND>& windows) const {
  std::lock_guard lock(Mutex);
  Tick first = 0;
  for (HWND hwnd : windows) {
    const auto found = moments.find(hwnd);
    if (found != moments.end() && (first == 0 || found->second < first)) first = found->second;
  }
  return first;
}

// ---- The suite's stage.

bool SoundStage::Open() {
  const auto folder = MakeHostFolder();
  if (!folder) return false;
  HostSide.emplace(*folder);
  ServerUp = SoundServer::Start(*HostSide);
  // The test tones: a 1.5 s MP3 and a 1.0 s WAV, both well above the silence threshold.
  TonesMade = HostSide->Run(
      "timeout 30 sox -n -r 44100 -c 2 -b 16 tone.wav synth 1.5 sine 440 gain -6 &&\n"
      "timeout 30 lame --quiet -b 128 tone.wav tone.mp3 &&\n"
      "timeout 30 sox -n -r 44100 -c 2 -b 16 loop.wav synth 1.0 sine 660 gain -6",
      60s);
  return true;
}

bool SoundStage::Close() {
  if (!HostSide) return true;
  const bool stopped = SoundServer::Stop(*HostSide);
  HostSide.reset();
  return stopped;
}

std::string SoundStage::PlaceMusic(const AppFolder& app, const char* made, const wchar_t* as) const {
  const std::wstring folder = app.File(L"my music");
  ::CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring target = folder + L"\\" + as;
  return ::CopyFileW(HostSide->Folder().File(made).c_str(), target.c_str(), FALSE) ? Narrow(target) : "";
}

void WriteSettings(const AppFolder& app, std::int16_t kind, const std::string& file, std::int16_t repeat, int speed) {
  using orbisette::SettingsNumberText;
  WriteBytes(app.File(L"Orbisette.ini"),
             "[Section]\r\n" + orbisette::FiveKeyLines(SettingsNumberText(kind), SettingsNumberText(repeat), file,
                                                       SettingsNumberText(speed), SettingsNumberText(0)));
}

}  // namespace e2e
