// The run's music as a user hears it and as the program sends it, under Wine.
// A PulseAudio null sink stands in for the sound card: what plays into it is
// recorded from its monitor (parec), so a test sees when music really sounded
// and when it fell silent. Wine's own trace (WINEDEBUG=trace+mci,trace+winmm)
// shows every MCI command string with its reply length and every PlaySound call
// with its flags, in the order the program made them; trace+win adds the
// windows' destruction. The harness starts the sound server, the recorder and
// each traced run through the host's shell (Wine runs a Unix program when asked
// to), and ends every one of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

#include "harness.h"
#include "settings/settings.h"

#include <tlhelp32.h>  // after <windows.h>

namespace e2e {
namespace {

using Tick = double;  // GetTickCount64 milliseconds, the clock of Wine's +timestamp too

Tick Now() { return static_cast<Tick>(::GetTickCount64()); }

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// The test's paths are ASCII, which every ANSI code page keeps as it is.
std::string Narrow(const std::wstring& ascii) {
  std::string narrow;
  for (wchar_t c : ascii) narrow += static_cast<char>(c);
  return narrow;
}

double Median(std::vector<double> values) {
  if (values.empty()) return NAN;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// ---- The host's side: a folder, shell steps, the sound server, the recorder.

// A folder inside the Wine prefix, so the test run's cleanup finds whatever is
// left in it; known by its Unix and its Windows path.
struct HostFolder {
  std::string Unix;
  std::wstring Windows;
  std::wstring File(const std::string& name) const { return Windows + L"\\" + Widen(name); }
};

std::optional<HostFolder> MakeHostFolder() {
  char prefix[1024] = {};
  const DWORD n = ::GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
  if (n == 0 || n >= sizeof prefix || prefix[0] != '/') return std::nullopt;
  HostFolder folder{std::string(prefix) + "/music-e2e", L"Z:"};
  for (char c : folder.Unix) folder.Windows += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  ::CreateDirectoryW(folder.Windows.c_str(), nullptr);
  return PathExists(folder.Windows) ? std::optional(folder) : std::nullopt;
}

class HostShell {
 public:
  explicit HostShell(HostFolder folder) : Where(std::move(folder)) {}
  const HostFolder& Folder() const { return Where; }

  // Starts a shell script on the host and returns at once: Wine hands back no
  // process for a Unix program, so scripts say their end through files.
  bool Spawn(const std::string& script) {
    const std::string name = "step" + std::to_string(++Steps) + ".sh";
    WriteBytes(Where.File(name), "export PATH=/usr/sbin:/usr/bin:/sbin:/bin\ncd " + Where.Unix + "\n" + script + "\n");
    std::string command = "/bin/sh " + Where.Unix + "/" + name;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      return false;
    if (pi.hThread) ::CloseHandle(pi.hThread);
    if (pi.hProcess) ::CloseHandle(pi.hProcess);
    return true;
  }
  // Runs a script and waits for it: true when it ended with status 0 in time.
  bool Run(const std::string& script, std::chrono::milliseconds timeout) {
    const std::string done = "done" + std::to_string(Steps + 1);
    if (!Spawn("(\n" + script + "\n) >>host.log 2>&1\necho $? >" + done + ".tmp && mv " + done + ".tmp " + done)) {
      return false;
    }
    return WaitUntil([&] { return PathExists(Where.File(done)); }, timeout) &&
           ReadBytes(Where.File(done)).starts_with("0");
  }

 private:
  HostFolder Where;
  int Steps = 0;
};

// PulseAudio with one null sink, started as root in a runtime folder of ours.
// A Wine process finds it through PULSE_SERVER, whenever it starts: winepulse
// looks for a server in each process as its audio starts, and falls back to
// ALSA (no card here, so no wave device) when it finds none.
class SoundServer {
 public:
  static bool Start(HostShell& shell) {
    return shell.Run(
        "mkdir -p -m 700 run\n"
        "export XDG_RUNTIME_DIR=$PWD/run\n"
        "timeout 20 pulseaudio --daemonize=yes --exit-idle-time=-1 -n --log-target=file:$PWD/pulseaudio.log "
        "--load='module-null-sink sink_name=testsink' --load=module-native-protocol-unix || exit 1\n"
        "cp run/pulse/pid pulseaudio.pid\n"
        "timeout 10 pactl info >/dev/null",
        40s);
  }
  static bool Stop(HostShell& shell) {
    return shell.Run(
        "[ -f pulseaudio.pid ] || exit 0\n"
        "pid=$(cat pulseaudio.pid); kill $pid\n"
        "for i in $(seq 50); do kill -0 $pid 2>/dev/null || { rm -f pulseaudio.pid; exit 0; }; sleep 0.1; done\n"
        "kill -9 $pid; rm -f pulseaudio.pid",
        15s);
  }
  static std::string Address(const HostShell& shell) { return "unix:" + shell.Folder().Unix + "/run/pulse/native"; }
};

// A stretch of sound in a recording, from its first to its last audible moment.
struct Segment {
  Tick Begin;
  Tick End;
};

// What the null sink played, recorded from its monitor at 8 kHz mono. A watcher
// notes how fast the file grows, which ties each sample to the tick it sounded.
class Recording {
 public:
  static constexpr double BytesPerMs = 16.0;         // 8000 samples of 2 bytes a second
  static constexpr std::size_t WindowSamples = 160;  // 20 ms
  static constexpr double Audible = 500.0;  // RMS of 16-bit samples; the test tones are near 11000, silence is 0

  Recording(HostShell& shell, const std::string& name) : Shell(shell), Name(name) {
    Started = shell.Spawn("echo $$ >" + name + ".pid\nexec timeout 120 parec --server=" + SoundServer::Address(shell) +
                          " -d testsink.monitor --raw --format=s16le --rate=8000 " +
                          "--channels=1 --latency-msec=10 >" + name + ".raw");
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
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;
  ~Recording() { Stop(); }

  bool WaitRunning() {
    return Started && WaitUntil(
                          [&] {
                            std::lock_guard lock(Mutex);
                            return Anchor < 1e300;
                          },
                          15s);
  }
  void Stop() {
    if (Stopping.exchange(true)) return;
    Watcher.join();
    Shell.Run("[ -f " + Name + ".pid ] && kill $(cat " + Name + ".pid); rm -f " + Name + ".pid; exit 0", 10s);
  }
  // The audible stretches from `from` on, with gaps under 150 ms closed.
  std::vector<Segment> Segments(Tick from) const {
    const std::string bytes = ReadBytes(Shell.Folder().File(Name + ".raw"));
    Tick anchor;
    {
      std::lock_guard lock(Mutex);
      anchor = Anchor;
    }
    std::vector<Segment> segments;
    const std::size_t samples = bytes.size() / 2;
    for (std::size_t first = 0; first + WindowSamples <= samples; first += WindowSamples) {
      double sum = 0;
      for (std::size_t i = first; i < first + WindowSamples; ++i) {
        const auto s = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                                 (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        sum += static_cast<double>(s) * s;
      }
      const Tick begin = anchor + static_cast<double>(first) / 8.0;
      if (begin < from || std::sqrt(sum / WindowSamples) < Audible) continue;
      const Tick end = begin + 20.0;
      if (!segments.empty() && begin - segments.back().End < 150.0) {
        segments.back().End = end;
      } else {
        segments.push_back({begin, end});
      }
    }
    return segments;
  }

 private:
  HostShell& Shell;
  std::string Name;
  bool Started = false;
  std::atomic<bool> Stopping = false;
  mutable std::mutex Mutex;
  Tick Anchor = 1e308;  // the tick of the recording's first sample, at the latest
  std::thread Watcher;
};

// ---- Wine's trace of one run.

struct TraceEvent {
  enum Kind { Mci, MciResult, Sound, Devices, Show, Destroy } What;
  Tick At;
  std::string Text;  // the command, the reply, or "name"/"" for a sound
  long long Value;   // reply length, result code, PlaySound flags, device count
};

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

// Wine opens a device by itself, with a reply of 6 characters, when a command
// names one that is not open; the program never sends "wait".
bool WinesOwn(const TraceEvent& e) { return e.What == TraceEvent::Mci && e.Value == 6 && e.Text.ends_with(" wait"); }

// The program's MCI commands as "text|reply length".
std::vector<std::string> ProgramCommands(const std::vector<TraceEvent>& events) {
  std::vector<std::string> commands;
  for (const TraceEvent& e : events) {
    if (e.What == TraceEvent::Mci && !WinesOwn(e)) commands.push_back(e.Text + "|" + std::to_string(e.Value));
  }
  return commands;
}

// ---- One run of the saver, started from the host's shell so that its trace
// goes to a file of its own.

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

std::size_t VisibleCount(const SaverProcess& saver) {
  const auto windows = saver.Windows();
  return static_cast<std::size_t>(std::count_if(windows.begin(), windows.end(), ::IsWindowVisible));
}

class MusicRun {
 public:
  // channels: WINEDEBUG for the saver; pulseServer: where its audio goes.
  MusicRun(HostShell& shell, const AppFolder& app, const std::string& pulseServer, const std::string& channels)
      : Shell(shell), Name("trace" + std::to_string(++Runs)) {
    const std::set<DWORD> before = SaverIds();
    const std::string program = Narrow(app.Program());
    StartedAt = Now();
    shell.Spawn("export PULSE_SERVER=" + pulseServer + " WINEDEBUG=" + channels + "\nexec wine '" + program +
                "' /s 2>" + Name + ".log");
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
  bool ShowsTenBalls() {
    if (!Process || !Process->started() ||
        !WaitUntil([&] { return VisibleCount(*Process) == 10 || Process->Exited(); }, 20s) || Process->Exited()) {
      return false;
    }
    for (HWND hwnd : Process->Windows()) {
      // Wine's trace writes a handle as 0x and its hex digits.
      char text[32];
      std::snprintf(text, sizeof text, "0x%llx",
                    static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(hwnd)));
      Balls.insert(text);
    }
    return true;
  }
  // The first destruction of one of the run's windows.
  std::vector<TraceEvent>::const_iterator FirstBallDestroyed(const std::vector<TraceEvent>& events) const {
    return std::find_if(events.begin(), events.end(),
                        [&](auto& e) { return e.What == TraceEvent::Destroy && Balls.contains(e.Text); });
  }
  // Whether the music started (its first command or sound) before any ball was shown.
  bool MusicStartsBeforeTheBallsShow(const std::vector<TraceEvent>& events) const {
    const auto shown = std::find_if(events.begin(), events.end(),
                                    [&](auto& e) { return e.What == TraceEvent::Show && Balls.contains(e.Text); });
    return shown != events.end() && std::any_of(events.begin(), shown, [](auto& e) {
             return (e.What == TraceEvent::Mci && !WinesOwn(e)) || e.What == TraceEvent::Sound;
           });
  }
  // Escape, as a user ends the run; true when it ended cleanly within 3 s.
  bool End() {
    EndedAt = Now();
    PressEscape();
    return Process->WaitForExit(3s) && Process->ExitCode() == 0 && Process->Windows().empty();
  }
  std::vector<TraceEvent> Trace() const { return ReadTrace(Shell.Folder().File(Name + ".log")); }
  SaverProcess& Saver() { return *Process; }

  Tick StartedAt = 0;
  Tick EndedAt = 0;

 private:
  HostShell& Shell;
  std::string Name;
  std::optional<SaverProcess> Process;
  std::set<std::string> Balls;  // the run's windows as the trace names them
  static inline int Runs = 0;
};

constexpr char Channels[] = "+timestamp,trace+mci,trace+winmm,trace+win";
constexpr double Mp3Seconds = 1.5;
constexpr double WavSeconds = 1.0;
constexpr long long SndAsyncLoopNoDefault = 0x0001 | 0x0008 | 0x0002;

// ---- The tests, with a sound server for the whole suite.

class Music : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const auto folder = MakeHostFolder();
    if (!folder) return;
    Shell = new HostShell(*folder);
    ServerUp = SoundServer::Start(*Shell);
    // The test tones: a 1.5 s MP3 and a 1.0 s WAV, both well above the silence threshold.
    TonesMade = Shell->Run(
        "timeout 30 sox -n -r 44100 -c 2 -b 16 tone.wav synth 1.5 sine 440 gain -6 &&\n"
        "timeout 30 lame --quiet -b 128 tone.wav tone.mp3 &&\n"
        "timeout 30 sox -n -r 44100 -c 2 -b 16 loop.wav synth 1.0 sine 660 gain -6",
        60s);
  }
  static void TearDownTestSuite() {
    if (!Shell) return;
    EXPECT_TRUE(SoundServer::Stop(*Shell)) << "the sound server did not stop";
    delete Shell;
    Shell = nullptr;
  }
  void SetUp() override {
    if (!Shell) GTEST_SKIP() << "not under Wine with a Unix prefix";
    ASSERT_TRUE(ServerUp) << "the sound server did not start";
    ASSERT_TRUE(TonesMade) << "sox or lame did not make the test tones";
  }

  // The music file, in a folder whose name and file name hold spaces; its ANSI path.
  std::string PlaceMusic(const char* made, const wchar_t* as) {
    const std::wstring folder = App.File(L"my music");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring target = folder + L"\\" + as;
    EXPECT_TRUE(::CopyFileW(Shell->Folder().File(made).c_str(), target.c_str(), FALSE));
    return Narrow(target);
  }
  void WriteSettings(std::int16_t kind, const std::string& file, std::int16_t repeat = 0, int speed = 15) {
    using namespace orbisette;
    auto line = [](std::string_view key, const std::string& value) { return std::string(key) + "=" + value + "\r\n"; };
    WriteBytes(App.File(L"Orbisette.ini"), "[Section]\r\n" + line(KeyBgmKind, SettingsNumberText(kind)) +
                                               line(KeyBgmRepeat, SettingsNumberText(repeat)) + line(KeyBgmFile, file) +
                                               line(KeyMoveSpeed, SettingsNumberText(speed)) +
                                               line(KeyRebound, SettingsNumberText(0)));
  }

  static inline HostShell* Shell = nullptr;
  static inline bool ServerUp = false;
  static inline bool TonesMade = false;
  AppFolder App;
};

TEST_F(Music, CdWithNoDriveFailsOnePollThenSendsNothing) {
  WriteSettings(orbisette::BgmCdAudio, "", /*repeat=*/3);
  MusicRun run(*Shell, App, SoundServer::Address(*Shell), Channels);
  ASSERT_TRUE(run.ShowsTenBalls());
  std::this_thread::sleep_for(1500ms);  // seven poll intervals
  ASSERT_TRUE(run.End()) << "the run did not end cleanly";
  const auto events = run.Trace();
  // The open fails (no CD driver), the first poll's track query fails, and the
  // poll stops for good: no count query, no mode query, no stop or close at the end.
  EXPECT_EQ(ProgramCommands(events), (std::vector<std::string>{"open cdaudio|0", "set cdaudio time format tmsf|0",
                                                               "status cdaudio current track|512"}));
  EXPECT_TRUE(run.MusicStartsBeforeTheBallsShow(events));
  const auto open = std::find_if(events.begin(), events.end(), [](auto& e) { return e.Text == "open cdaudio"; });
  const auto poll = std::find_if(events.begin(), events.end(), [](auto& e) { return e.Text.starts_with("status"); });
  if (open != events.end() && poll != events.end()) {
    std::printf("    the first CD poll came %.0f ms after the open\n", poll->At - open->At);
  }
}

TEST_F(Music, Mp3PlaysRestartsAfterItsEndAndStopsFirstAtTheEnd) {
  const std::string file = PlaceMusic("tone.mp3", L"tone one.mp3");
  WriteSettings(orbisette::BgmMusicFile, file);
  std::vector<double> startToSound, playToSound, endToRestart, endToSilence, statusPeriods;
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE("run " + std::to_string(round + 1));
    Recording recording(*Shell, "mp3-" + std::to_string(round));
    ASSERT_TRUE(recording.WaitRunning()) << "parec did not record";
    MusicRun run(*Shell, App, SoundServer::Address(*Shell), Channels);
    ASSERT_TRUE(run.ShowsTenBalls());
    // Until the file has ended once and sounded again for half a second.
    EXPECT_TRUE(WaitUntil([&] { return recording.Segments(run.StartedAt).size() >= 2; }, 8s, 50ms));
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(run.End()) << "the run did not end cleanly";
    std::this_thread::sleep_for(1200ms);
    recording.Stop();

    const auto events = run.Trace();
    const auto commands = ProgramCommands(events);
    ASSERT_GE(commands.size(), 6u);
    EXPECT_EQ(commands[0], "open \"" + file + "\" type MPEGVideo Alias MP3Play|0");
    EXPECT_EQ(commands[1], "play MP3Play|0");
    EXPECT_TRUE(run.MusicStartsBeforeTheBallsShow(events));
    EXPECT_EQ(commands[commands.size() - 2], "stop MP3Play|0");
    EXPECT_EQ(commands.back(), "close MP3Play|0");
    // In between, once a second the mode, and after a mode that is not
    // "playing" the restart from the beginning; nothing else.
    int restarts = 0;
    for (std::size_t k = 2; k + 2 < commands.size(); ++k) {
      if (commands[k] == "play MP3Play from 0|0") {
        ++restarts;
        EXPECT_TRUE(commands[k - 1] == "stop MP3Play|0" && commands[k - 2] == "status MP3Play mode|30") << k;
      } else {
        EXPECT_TRUE(commands[k] == "status MP3Play mode|30" || commands[k] == "stop MP3Play|0") << commands[k];
      }
    }
    EXPECT_GE(restarts, 1);
    std::string lastMode;
    Tick lastStatus = 0, firstRestart = 0, play = 0;
    for (std::size_t i = 0; i < events.size(); ++i) {
      const TraceEvent& e = events[i];
      if (e.What == TraceEvent::MciResult && i > 0 && events[i - 1].Text == "status MP3Play mode") lastMode = e.Text;
      if (e.What != TraceEvent::Mci) continue;
      if (e.Text == "play MP3Play") play = e.At;
      if (e.Text == "status MP3Play mode") {
        if (lastStatus > 0) statusPeriods.push_back(e.At - lastStatus);
        lastStatus = e.At;
      }
      if (e.Text == "play MP3Play from 0") {
        EXPECT_NE(lastMode, "playing") << "restarted while playing";
        if (firstRestart == 0) firstRestart = e.At;
      }
    }
    // The music stops after the user ended the run and before any window goes.
    const auto destroyed = run.FirstBallDestroyed(events);
    ASSERT_NE(destroyed, events.end()) << "no ball window's destruction in the trace";
    const auto close = std::find_if(events.begin(), destroyed, [](auto& e) { return e.Text == "close MP3Play"; });
    EXPECT_NE(close, destroyed) << "a window went before the music stopped: " << destroyed->Text << " at "
                                << destroyed->At - run.StartedAt << " ms, run end at " << run.EndedAt - run.StartedAt;
    if (close != destroyed) {
      EXPECT_GE(close->At + 50, run.EndedAt) << "closed before the run ended";
    }

    // Heard: the file from the start, silence after its end, the file again.
    const auto heard = recording.Segments(run.StartedAt);
    ASSERT_GE(heard.size(), 2u) << "the MP3 did not sound twice";
    EXPECT_GE(heard[0].Begin, play - 50);
    EXPECT_LE(heard[0].Begin, play + 1000) << "no sound within a second of the play command";
    EXPECT_NEAR((heard[0].End - heard[0].Begin) / 1000.0, Mp3Seconds, 0.35) << "the first sound is not the file";
    EXPECT_LE(heard[1].Begin - heard[0].End, 1500) << "not restarted within about a second of its end";
    EXPECT_NEAR(heard[1].Begin, firstRestart, 400) << "the second sound is not the restart";
    EXPECT_LE(heard.back().End, run.EndedAt + 1000) << "still sounding a second after the run ended";
    startToSound.push_back(heard[0].Begin - run.StartedAt);
    playToSound.push_back(heard[0].Begin - play);
    endToRestart.push_back(heard[1].Begin - heard[0].End);
    endToSilence.push_back(heard.back().End - run.EndedAt);
  }
  std::printf(
      "    MP3, medians over %zu runs: start to sound %.0f ms (play command to sound %.0f ms), "
      "end of file to restart %.0f ms, run end to silence %.0f ms; status query every %.0f ms\n",
      startToSound.size(), Median(startToSound), Median(playToSound), Median(endToRestart), Median(endToSilence),
      Median(statusPeriods));
}

TEST_F(Music, WavLoopsPastItsLengthAndFallsSilentAtTheEnd) {
  WriteSettings(orbisette::BgmMusicFile, PlaceMusic("loop.wav", L"loop one.wav"));
  std::vector<double> startToSound, endToSilence;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("run " + std::to_string(round + 1));
    Recording recording(*Shell, "wav-" + std::to_string(round));
    ASSERT_TRUE(recording.WaitRunning()) << "parec did not record";
    MusicRun run(*Shell, App, SoundServer::Address(*Shell), Channels);
    ASSERT_TRUE(run.ShowsTenBalls());
    EXPECT_TRUE(WaitUntil([&] { return !recording.Segments(run.StartedAt).empty(); }, 5s, 50ms));
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(WavSeconds * 2500)));
    ASSERT_TRUE(run.End()) << "the run did not end cleanly";
    std::this_thread::sleep_for(1200ms);
    recording.Stop();

    const auto events = run.Trace();
    EXPECT_TRUE(ProgramCommands(events).empty()) << "a WAV needs no MCI command";
    std::vector<TraceEvent> sounds;
    std::copy_if(events.begin(), events.end(), std::back_inserter(sounds),
                 [](auto& e) { return e.What == TraceEvent::Sound; });
    ASSERT_EQ(sounds.size(), 2u);
    // Looping in the background, and never the system's default sound instead.
    EXPECT_EQ(sounds[0].Text, "name");
    EXPECT_EQ(sounds[0].Value, SndAsyncLoopNoDefault);
    EXPECT_TRUE(run.MusicStartsBeforeTheBallsShow(events));
    EXPECT_EQ(sounds[1].Text, "") << "the stop names no sound";
    EXPECT_EQ(sounds[1].Value, 0);
    const auto destroyed = run.FirstBallDestroyed(events);
    ASSERT_NE(destroyed, events.end()) << "no ball window's destruction in the trace";
    EXPECT_TRUE(std::any_of(events.begin(), destroyed, [](auto& e) {
      return e.What == TraceEvent::Sound && e.Value == 0;
    })) << "a window went before the music stopped";

    const auto heard = recording.Segments(run.StartedAt);
    ASSERT_FALSE(heard.empty()) << "the WAV was not heard";
    EXPECT_GE(heard[0].End - heard[0].Begin, 2.3 * WavSeconds * 1000) << "no unbroken loop past its own length";
    EXPECT_LE(heard.back().End, run.EndedAt + 1000) << "still sounding a second after the run ended";
    startToSound.push_back(heard[0].Begin - run.StartedAt);
    endToSilence.push_back(heard.back().End - run.EndedAt);
  }
  std::printf("    WAV, medians over %zu runs: start to sound %.0f ms, run end to silence %.0f ms\n",
              startToSound.size(), Median(startToSound), Median(endToSilence));
}

// With no sound device the run starts and ends as a silent run does: the MP3
// cannot be opened (no play command, failing restarts), a WAV is not even tried.
TEST_F(Music, WithoutASoundDeviceTheRunIsSilentAndEndsCleanly) {
  struct Case {
    const char* name;
    bool audioOff;  // Wine's audio off in the prefix, the server still running
    const char* made;
    const wchar_t* as;
  };
  const Case cases[] = {{"no server, MP3", false, "tone.mp3", L"tone one.mp3"},
                        {"no server, WAV", false, "loop.wav", L"loop one.wav"},
                        {"audio off, MP3", true, "tone.mp3", L"tone one.mp3"},
                        {"audio off, WAV", true, "loop.wav", L"loop one.wav"}};
  const std::wstring driversKey = L"Software\\Wine\\Drivers";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteSettings(orbisette::BgmMusicFile, PlaceMusic(c.made, c.as));
    HKEY drivers = nullptr;
    if (c.audioOff) {
      ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, driversKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  &drivers, nullptr),
                ERROR_SUCCESS);
      ::RegSetValueExW(drivers, L"Audio", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
    }
    std::optional<Recording> recording;
    if (c.audioOff) {
      recording.emplace(*Shell, "silent");
      ASSERT_TRUE(recording->WaitRunning());
    }
    const std::string server = c.audioOff ? SoundServer::Address(*Shell) : "unix:" + Shell->Folder().Unix + "/none";
    MusicRun run(*Shell, App, server, Channels);
    const bool shown = run.ShowsTenBalls();
    std::this_thread::sleep_for(1500ms);  // a restart attempt or two
    const bool ended = shown && run.End();
    if (drivers) {
      ::RegDeleteValueW(drivers, L"Audio");
      ::RegCloseKey(drivers);
    }
    ASSERT_TRUE(shown);
    EXPECT_TRUE(ended) << "the run did not end cleanly";
    const auto events = run.Trace();
    const auto commands = ProgramCommands(events);
    std::vector<std::string> sounds, devices;
    for (const auto& e : events) {
      if (e.What == TraceEvent::Sound) sounds.push_back(e.Text + "|" + std::to_string(e.Value));
      if (e.What == TraceEvent::Devices) devices.push_back(std::to_string(e.Value));
    }
    if (std::string(c.made).ends_with("mp3")) {
      // The open fails, so no play follows it; the restarts fail every second; the stop still closes.
      EXPECT_TRUE(std::find(commands.begin(), commands.end(), "play MP3Play|0") == commands.end()) << "played";
      EXPECT_TRUE(std::find(commands.begin(), commands.end(), "play MP3Play from 0|0") != commands.end());
      ASSERT_GE(commands.size(), 2u);
      EXPECT_EQ(commands.back(), "close MP3Play|0");
      EXPECT_TRUE(sounds.empty());
    } else {
      // No device: the WAV is not even tried; the stop silences nothing, harmlessly.
      EXPECT_EQ(devices, std::vector<std::string>{"0"});
      EXPECT_EQ(sounds, std::vector<std::string>{"|0"});
      EXPECT_TRUE(commands.empty());
    }
    if (recording) {
      recording->Stop();
      EXPECT_TRUE(recording->Segments(run.StartedAt).empty()) << "sound reached the sink with Wine's audio off";
    }
  }
}

// Figures, not verdicts: the animation's ticks and the CPU per second of run,
// without music and with an MP3 playing (restarted every two seconds or so).
TEST_F(Music, FiguresTicksAndCpuWithAndWithoutAnMp3) {
  const std::string mp3 = PlaceMusic("tone.mp3", L"tone one.mp3");
  std::vector<double> ticks[2], cpu[2];
  for (int round = 0; round < 3; ++round) {
    for (int withMusic = 0; withMusic < 2; ++withMusic) {
      // At 15 twips a full-speed axis moves one pixel a tick; nothing rebounds.
      WriteSettings(withMusic ? orbisette::BgmMusicFile : orbisette::BgmNone, withMusic ? mp3 : "");
      MusicRun run(*Shell, App, SoundServer::Address(*Shell), "-all");
      ASSERT_TRUE(run.ShowsTenBalls());
      std::this_thread::sleep_for(1s);
      const auto windows = run.Saver().Windows();
      std::vector<RECT> last(windows.size());
      std::vector<double> pathX(windows.size()), pathY(windows.size());
      for (std::size_t i = 0; i < windows.size(); ++i) ::GetWindowRect(windows[i], &last[i]);
      const auto before = HostStatsOf(App.Program());
      const Tick begin = Now();
      while (Now() - begin < 4000) {
        std::this_thread::sleep_for(20ms);
        for (std::size_t i = 0; i < windows.size(); ++i) {
          RECT r{};
          ::GetWindowRect(windows[i], &r);
          pathX[i] += std::abs(r.left - last[i].left);
          pathY[i] += std::abs(r.top - last[i].top);
          last[i] = r;
        }
      }
      const double seconds = (Now() - begin) / 1000.0;
      const auto after = HostStatsOf(App.Program());
      // Some axis of some ball runs at full speed: the longest path counts the ticks.
      const double longest =
          std::max(*std::max_element(pathX.begin(), pathX.end()), *std::max_element(pathY.begin(), pathY.end()));
      ticks[withMusic].push_back(longest / seconds);
      if (before && after)
        cpu[withMusic].push_back(static_cast<double>(after->cpuTicks - before->cpuTicks) * 10 / seconds);
      ASSERT_TRUE(run.End()) << "the run did not end cleanly";
    }
  }
  std::printf("    medians over 3 runs each   ticks/s   CPU ms/s\n");
  std::printf("    no music                   %7.0f   %8.0f\n", Median(ticks[0]), Median(cpu[0]));
  std::printf("    MP3 playing                %7.0f   %8.0f\n", Median(ticks[1]), Median(cpu[1]));
}

// Headers that crash or hang the platform's player: the run stays silent and
// Escape ends it.
TEST_F(Music, AWavWithABrokenHeaderIsSilentAndEscapeEndsTheRun) {
  auto wave = [](std::uint64_t channels, std::uint64_t rate, std::uint64_t align, std::uint64_t declared) {
    std::string b("RIFF\xC4\x0F\0\0WAVEfmt \x10\0\0\0\1\0", 22);
    for (auto [v, n] :
         {std::pair{channels, 2}, {rate, 4}, {rate * 4, 4}, {align, 2}, {16, 2}, {0x61746164, 4}, {declared, 4}}) {
      for (int i = 0; i < n; ++i) b += static_cast<char>(v >> (8 * i) & 0xFF);
    }
    return b + std::string(4000, '\x40');
  };
  for (const std::string& bytes : {wave(2, 44100, 0, 4000), wave(0, 44100, 4, 4000), wave(2, 0xFFFFFFF0, 4, 4000),
                                   wave(2, 44100, 4, 0), wave(2, 44100, 4, 0x7FFFFF00)}) {
    WriteBytes(App.File(L"broken.wav"), bytes);
    WriteSettings(orbisette::BgmMusicFile, Narrow(App.File(L"broken.wav")));
    MusicRun run(*Shell, App, SoundServer::Address(*Shell), "-all");
    ASSERT_TRUE(run.ShowsTenBalls());
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(VisibleCount(run.Saver()), 10u) << "the run died";
    EXPECT_TRUE(run.End()) << "Escape did not end the run";
    std::printf("    ended %.0f ms after Escape\n", Now() - run.EndedAt);
    ::GetAsyncKeyState(VK_ESCAPE);
  }
}

}  // namespace
}  // namespace e2e
