// The run's music as a user hears it and as the program sends it, under Wine.
// A PulseAudio null sink stands in for the sound card: what plays into it is
// recorded from its monitor (parec), so a test sees when music really sounded
// and when it fell silent. Wine's own trace (WINEDEBUG=trace+mci,trace+winmm)
// shows every MCI command string with its reply length and every PlaySound call
// with its flags, in the order the program made them; trace+win adds the
// windows' destruction. The harness starts the sound server, the recorder and
// each traced run through the host's shell (Wine runs a Unix program when asked
// to), and ends every one of them.
#pragma once

#include <atomic>
#include <cstdint>
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
  bool Spawn(const std::string& script);
  // Runs a script and waits for it: true when it ended with status 0 in time.
  bool Run(const std::string& script, std::chrono::milliseconds timeout);

 private:
  HostFolder Where;
  int Steps = 0;
};

// PulseAudio with one null sink, started as root in a runtime folder of ours.
// A Wine process finds it through PULSE_SERVER, whenever it starts: winepulse
// looks for a server in each process as its audio starts, and falls back to
// ALSA (no card here, so no wave device) when it finds none.
struct SoundServer {
  static bool Start(HostShell& shell);
  static bool Stop(HostShell& shell);
  static std::string Address(const HostShell& shell);
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
  Recording(HostShell& shell, const std::string& name);
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;
  ~Recording() { Stop(); }

  bool WaitRunning();
  void Stop();
  // The audible stretches from `from` on, with gaps under 150 ms closed.
  std::vector<Segment> Segments(Tick from) const;

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
  enum Kind { Mci, MciResult, Sound, Devices, Show, Destroy } What;
  Tick At;
  std::string Text;  // the command, the reply, or "name"/"" for a sound
  long long Value;   // reply length, result code, PlaySound flags, device count
};
std::vector<TraceEvent> ReadTrace(const std::wstring& file);

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
  bool ShowsTenBalls();
  // The first destruction of one of the run's windows.
  std::vector<TraceEvent>::const_iterator FirstBallDestroyed(const std::vector<TraceEvent>& events) const;
  // Whether the music started (its first command or sound) before any ball was shown.
  bool MusicStartsBeforeTheBallsShow(const std::vector<TraceEvent>& events) const;
  // Escape, as a user ends the run; true when it ended cleanly within 3 s.
  bool End();
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

inline constexpr char TraceChannels[] = "+timestamp,trace+mci,trace+winmm,trace+win";
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
