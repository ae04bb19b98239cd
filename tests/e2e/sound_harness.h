// The run's music as a user hears it and as the program sends it, under Wine.
// A PulseAudio null sink stands in for the sound card: what plays into it is
// recorded from its monitor (parec), so a test sees when music really sounded
// and when it fell silent. Wine's own trace (WINEDEBUG=trace+mci,trace+winmm)
// shows every MCI command string with its reply length and every PlaySound call
// with its flags, in the order the program made them. The run's windows are
// watched from the harness itself (WindowWatch). The harness starts the sound
// server, the recorder and each traced run through the host's shell (Wine runs
// a Unix program when asked to), and ends every one of them.
#pragma once

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"

namespace e2e {

using Tick = double;  // GetTickCount64 milliseconds, the clock of Wine's +timestamp too

Tick Now();

// The test's paths are ASCII, which every ANSI code page keeps as it is.
std::string Narrow(const std::wstring& ascii);

// A folder inside the Wine prefix, so the test run's cleanup finds whatever is
// left in it; known by its Unix and its Windows path.
struct HostFolder {
  std::string Unix;
  std::wstring Windows;
  std::wstring File(const std::string& name) const;
};
std::optional<HostFolder> MakeHostFolder();

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
struct SoundServer {
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

  Recording(HostShell& shell, const std::string& name);
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
  // The audible stretches from `from` on, with gaps under 300 ms closed: a busy
  // machine's sound drops out for that long, and the pause before an MP3's
  // restart lasts about 600 ms.
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
      if (!segments.empty() && begin - segments.back().End < 300.0) {
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

// One line of Wine's trace of a run.
struct TraceEvent {
  enum Kind { Mci, MciResult, Sound, Devices } What;
  Tick At;
  std::string Text;  // the command, the reply, or "name"/"" for a sound
  long long Value;   // reply length, result code, PlaySound flags, device count
};
// The trace's events; its lines of the mci and winmm channels in no form the
// parser knows (the trace of a Wine whose lines it has not learnt) go to unknown.
std::vector<TraceEvent> ReadTrace(const std::wstring& file, std::vector<std::string>& unknown);

// The run's windows as the host sees them come and go: the harness notes which
// of the process's windows are visible and which of those no longer exist, every
// 20 ms and, once the end is near, every millisecond (until then the run's sound
// has the machine), so each moment it notes is at most a poll after the real one.
class WindowWatch {
 public:
  WindowWatch()
      : Watcher([this] {
          for (unsigned polls = 0; !Stopping; ++polls, std::this_thread::sleep_for(Closely ? 1ms : 20ms)) {
            Poll(!Closely || polls % 20 == 0);
          }
        }) {}
  WindowWatch(const WindowWatch&) = delete;
  WindowWatch& operator=(const WindowWatch&) = delete;
  ~WindowWatch() {
    Stopping = true;
    Watcher.join();
  }
  void Follow(DWORD processId) { Process = processId; }
  void WatchClosely() { Closely = true; }
  // The first moment one of these windows was seen shown, or gone; 0 for none.
  Tick FirstShown(const std::set<HWND>& windows) const { return First(Shown, windows); }
  Tick FirstGone(const std::set<HWND>& windows) const { return First(Gone, windows); }

 private:
  void Poll(bool lookForNew);
  Tick First(const std::map<HWND, Tick>& moments, const std::set<HWND>& windows) const;

  std::atomic<DWORD> Process = 0;
  std::atomic<bool> Stopping = false;
  std::atomic<bool> Closely = false;
  mutable std::mutex Mutex;
  std::map<HWND, Tick> Shown, Gone;
  std::thread Watcher;  // last: it starts once the rest is made
};

// Wine opens a device by itself, with a reply of 6 characters, when a command
// names one that is not open; the program never sends "wait".
bool WinesOwn(const TraceEvent& e);

// The program's MCI commands as "text|reply length".
std::vector<std::string> ProgramCommands(const std::vector<TraceEvent>& events);

// One run of the saver, started from the host's shell so that its trace goes
// to a file of its own.
class MusicRun {
 public:
  // channels: WINEDEBUG for the saver; pulseServer: where its audio goes.
  MusicRun(HostShell& shell, const AppFolder& app, const std::string& pulseServer, const std::string& channels);
  bool ShowsTenBalls() {
    if (!Process || !Process->Started() ||
        !WaitUntil([&] { return Process->VisibleWindows().size() == 10 || Process->Exited(); }, 20s) ||
        Process->Exited()) {
      return false;
    }
    for (HWND hwnd : Process->Windows()) Balls.insert(hwnd);
    return true;
  }
  // When the first of the run's windows was shown, and when the first went.
  Tick BallsShown() const { return Windows.FirstShown(Balls); }
  Tick FirstBallGone() const { return Windows.FirstGone(Balls); }
  // Whether the music started (its first command or sound) before any ball was shown.
  bool MusicStartsBeforeTheBallsShow(const std::vector<TraceEvent>& events) const {
    const Tick shown = BallsShown();
    return shown > 0 && std::any_of(events.begin(), events.end(), [&](auto& e) {
             return ((e.What == TraceEvent::Mci && !WinesOwn(e)) || e.What == TraceEvent::Sound) && e.At <= shown;
           });
  }
  // Escape, as a user ends the run; true when it ended cleanly within 3 s.
  bool End();
  // The trace's events; a line in a form the parser does not know fails the test.
  std::vector<TraceEvent> Trace();
  SaverProcess& Saver() { return *Process; }

  Tick StartedAt = 0;
  Tick EndedAt = 0;

 private:
  HostShell& Shell;
  std::string Name;
  WindowWatch Windows;  // watching before the process starts
  std::optional<SaverProcess> Process;
  std::set<HWND> Balls;
  bool UnknownSaid = false;
  static inline int Runs = 0;
};

inline constexpr char TraceChannels[] = "+timestamp,trace+mci,trace+winmm";
inline constexpr double Mp3Seconds = 1.5;
inline constexpr double WavSeconds = 1.0;

// The sound server and the test tones for a whole suite, and a folder of the
// saver's own with its settings and music.
class SoundStage {
 public:
  // False when not under Wine with a Unix prefix.
  bool Open();
  // False when the sound server did not stop.
  bool Close();
  bool Ready() const { return ServerUp && TonesMade; }
  HostShell& Shell() { return *HostSide; }
  std::string Server() const { return SoundServer::Address(*HostSide); }
  // The tone (tone.mp3, loop.wav) copied into a folder whose name and file name
  // hold spaces; its ANSI path, empty when it could not be copied.
  std::string PlaceMusic(const AppFolder& app, const char* made, const wchar_t* as) const;

  bool ServerUp = false;
  bool TonesMade = false;

 private:
  std::optional<HostShell> HostSide;
};

// Orbisette.ini with the five keys as the dialog writes them.
void WriteSettings(const AppFolder& app, std::int16_t kind, const std::string& file, std::int16_t repeat = 0,
                   int speed = 15);

}  // namespace e2e
