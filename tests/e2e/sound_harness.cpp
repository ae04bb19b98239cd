#include "sound_harness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string_view>

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

// The functions of the mci and winmm channels that Wine 8.0 and 10.0 trace in
// these runs (the same in both) whose lines say nothing the tests read.
constexpr std::string_view Unread =
    " mci:mciGetDriverData mci:mciSetDriverData mci:mciLoadCommandResource mci:mciFreeCommandResource"
    " mci:MCI_ParseOptArgs mci:MCI_LoadMciDriver mci:MCI_SetCommandTable mci:MCI_IsCommandTableValid"
    " mci:MCI_GetCommandTable mci:MCI_Close winmm:DllMain winmm:MMDRV_Init winmm:MMDRV_InitPerType"
    " winmm:MMDRV_Install winmm:MMDRV_Message winmm:MMDRV_GetNum winmm:MMDRV_Get winmm:MMDRV_GetByID"
    " winmm:WINMM_StartDevicesThread winmm:WINMM_DevicesThreadProc winmm:WINMM_BeginPlaying winmm:WINMM_PrepareHeader"
    " winmm:WINMM_UnprepareHeader winmm:WINMM_Reset winmm:WOD_PushData winmm:WOD_Close winmm:waveOutGetDevCapsW"
    " winmm:midiOutGetDevCapsW winmm:waveOutOpen winmm:waveOutClose winmm:waveOutWrite winmm:waveOutPrepareHeader"
    " winmm:waveOutUnprepareHeader winmm:waveOutReset winmm:proc_PlaySound winmm:PlaySound_Callback"
    " winmm:get_mmioFromProfile ";

// One traced line's message, "<function> <message>", read into events; false
// for a function or a form of its message that the parser does not know.
bool ReadLine(const std::string& function, const std::string& m, Tick at, std::vector<TraceEvent>& events) {
  if (Unread.find(" " + function + " ") != std::string_view::npos) return true;
  if (function == "mci:mciSendStringW") {
    // Wine's own steps: the parsed verb and device, the parameters, the first result line.
    if (m.starts_with("verb=L\"") || m.starts_with("[") || m.starts_with("=> 1/ ")) return true;
    std::size_t p = 3;
    if (m.starts_with("(L\"")) {  // '(L"<command>", <buffer>, <reply length>, <callback>)'
      std::string text = Unescape(m, p);
      const std::size_t comma = m.find(", ", p + 2);
      if (comma != std::string::npos) events.push_back({TraceEvent::Mci, at, text, std::atoll(m.c_str() + comma + 2)});
      return comma != std::string::npos;
    }
    if (!m.starts_with("=> 2/ ")) return false;  // "=> 2/ <code> (L"<reply>")", or (null)
    std::size_t r = m.find("(L\"", 6);
    events.push_back({TraceEvent::MciResult, at, r == std::string::npos ? "" : Unescape(m, r += 3),
                      std::strtoll(m.c_str() + 6, nullptr, 16)});
    return true;
  }
  if (function == "winmm:MULTIMEDIA_PlaySound") {  // "pszSound='<name or 0000000000000000>' ... fdwSound=<flags>"
    const std::size_t flags = m.find("fdwSound=");
    if (!m.starts_with("pszSound='") || flags == std::string::npos) return false;
    events.push_back({TraceEvent::Sound, at, m.compare(10, 17, "0000000000000000'") == 0 ? "" : "name",
                      std::strtoll(m.c_str() + flags + 9, nullptr, 16)});
    return true;
  }
  if (function != "winmm:waveOutGetNumDevs" || !m.starts_with("count: ")) return false;
  events.push_back({TraceEvent::Devices, at, "", std::atoll(m.c_str() + 7)});
  return true;
}

}  // namespace

// "<seconds>.<ms>:<pid>:<tid>:trace:<channel>:<function> <message>", one a line.
std::vector<TraceEvent> ReadTrace(const std::wstring& file, std::vector<std::string>& unknown) {
  std::vector<TraceEvent> events;
  const std::string all = ReadBytes(file);
  for (std::size_t start = 0, end; start < all.size(); start = end + 1) {
    end = std::min(all.find('\n', start), all.size());
    const std::string line = all.substr(start, end - start);
    const std::size_t mark = line.find(":trace:");
    if (mark == std::string::npos) continue;  // another class (fixme, err) or a message's second line
    const std::size_t name = mark + 7, space = std::min(line.find(' ', name), line.size());
    const std::string function = line.substr(name, space - name);
    if (!function.starts_with("mci:") && !function.starts_with("winmm:")) continue;
    const std::string message = space < line.size() ? line.substr(space + 1) : "";
    if (!ReadLine(function, message, std::strtod(line.c_str(), nullptr) * 1000.0, events)) unknown.push_back(line);
  }
  return events;
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

bool MusicRun::End() {
  Windows.WatchClosely();
  std::this_thread::sleep_for(20ms);  // a poll at the new pace has begun
  EndedAt = Now();
  PressEscape();
  const bool exited = Process->WaitForExit(3s);
  if (!exited || Process->ExitCode() != 0) {
    ADD_FAILURE() << (exited ? "exit code " + std::to_string(Process->ExitCode()) : "still running 3 s after Escape")
                  << ", " << Process->Windows().size() << " windows, " << (Now() - EndedAt) << " ms";
  }
  return exited && Process->ExitCode() == 0 && Process->Windows().empty();
}

std::vector<TraceEvent> MusicRun::Trace() {
  std::vector<std::string> unknown;
  std::vector<TraceEvent> events = ReadTrace(Shell.Folder().File(Name + ".log"), unknown);
  if (!unknown.empty() && !std::exchange(UnknownSaid, true)) {
    ADD_FAILURE() << "unknown trace format (" << unknown.size() << " lines), first: " << unknown[0];
  }
  return events;
}

// ---- The run's windows, watched.

void WindowWatch::Poll(bool lookForNew) {
  const DWORD process = Process;
  if (!process) return;
  const Tick now = Now();
  std::lock_guard lock(Mutex);
  for (const auto& [hwnd, at] : Shown) {
    if (!::IsWindow(hwnd)) Gone.emplace(hwnd, now);
  }
  if (!lookForNew) return;  // the windows' end is what needs the millisecond
  for (HWND hwnd : WindowsOfProcess(process)) {
    if (::IsWindowVisible(hwnd)) Shown.emplace(hwnd, now);
  }
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
