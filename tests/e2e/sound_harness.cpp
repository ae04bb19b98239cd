#include "sound_harness.h"

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

std::vector<TraceEvent> ReadTrace(const std::wstring& file) {
  std::vector<TraceEvent> events;
  const std::string all = ReadBytes(file);
  std::size_t start = 0;
  while (start < all.size()) {
    std::size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    const std::string line = all.substr(start, end - start);
    start = end + 1;
    const Tick at = std::strtod(line.c_str(), nullptr) * 1000.0;
    auto after = [&](const char* marker) {
      const std::size_t p = line.find(marker);
      return p == std::string::npos ? p : p + std::strlen(marker);
    };
    if (std::size_t p = after(":trace:mci:mciSendStringW (L\""); p != std::string::npos) {
      std::string text = Unescape(line, p);
      // ", <buffer>, <length>, <callback>)"
      const std::size_t comma = line.find(", ", p + 2);
      if (comma != std::string::npos)
        events.push_back({TraceEvent::Mci, at, text, std::atoll(line.c_str() + comma + 2)});
    } else if (std::size_t q = after(":trace:mci:mciSendStringW => 2/ "); q != std::string::npos) {
      const long long code = std::strtoll(line.c_str() + q, nullptr, 16);
      std::size_t r = line.find("(L\"", q);
      events.push_back({TraceEvent::MciResult, at, r == std::string::npos ? "" : Unescape(line, r += 3), code});
    } else if (std::size_t s = after(":trace:winmm:MULTIMEDIA_PlaySound pszSound='"); s != std::string::npos) {
      const bool none = line.compare(s, 17, "0000000000000000'") == 0;
      const std::size_t f = after("fdwSound=");
      events.push_back({TraceEvent::Sound, at, none ? "" : "name",
                        f == std::string::npos ? -1 : std::strtoll(line.c_str() + f, nullptr, 16)});
    } else if (std::size_t d = after(":trace:winmm:waveOutGetNumDevs count: "); d != std::string::npos) {
      events.push_back({TraceEvent::Devices, at, "", std::atoll(line.c_str() + d)});
    } else if (std::size_t h = after(":trace:win:show_window hwnd="); h != std::string::npos) {
      const std::size_t c = line.find(", cmd=", h);
      if (c != std::string::npos && std::atoi(line.c_str() + c + 6) != SW_HIDE) {
        events.push_back({TraceEvent::Show, at, line.substr(h, c - h), 0});
      }
    } else if (std::size_t w = after(":trace:win:NtUserDestroyWindow ("); w != std::string::npos) {
      events.push_back({TraceEvent::Destroy, at, line.substr(w, line.find(')', w) - w), 0});
    }
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
  if (id) Process.emplace(id);
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
