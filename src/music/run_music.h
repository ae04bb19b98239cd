// The run's music: what the saver window starts at the run's start, what its two
// music timers do on each tick, and what it stops first at the run's end. The
// window owns one RunMusic for the run and acts on the plain values it returns
// (which timers to enable, whether the CD timer stays on). Portable: no <windows.h>.
#pragma once

#include <string>
#include <string_view>

#include "music/mci_port.h"
#include "music/orbisette_bgm.h"
#include "settings/settings.h"

namespace orbisette {

// The timers the music start enables; at most one of them. Their ids and
// intervals are those of the saver window that carries them.
struct MusicTimers {
  bool Timer1 = false;
  bool Timer2 = false;
};

// The type of a music file: its last three characters (bytes of the ANSI name),
// upper-cased. "a.Mp3" and "amp3" give "MP3", "a.wave" gives "AVE".
std::string MusicFileType(std::string_view bgmFile);

class RunMusic {
 public:
  // settings must outlive the run; they are read afresh at the start, on each CD
  // poll and at the stop.
  RunMusic(MciPort& port, const Settings& settings, char decimalSeparator)
      : RunSettings(settings), Bgm(port, decimalSeparator) {}

  // Starts the music the settings choose; CD play itself begins at Timer2's first tick.
  MusicTimers Start();
  // Timer1: restart the MP3 when it is no longer playing.
  void Timer1Tick();
  // Timer2: poll the drive. Returns Timer2's new enabled flag (CdPollActive); once
  // false, nothing enables it again.
  bool Timer2Tick();
  // The music stop. The caller disables Timer2 first and passes whether it was
  // enabled: only then is the CD stopped and closed. Ticks after it send nothing.
  void Stop(bool timer2Enabled);

 private:
  const Settings& RunSettings;
  Orbisette_BGM Bgm;
  bool Stopped = false;
};

}  // namespace orbisette
