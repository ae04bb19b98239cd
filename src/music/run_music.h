// The run's music: what the saver window starts at the run's start, what its two
// music timers do on each tick, and what it stops first at the run's end. The
// window owns one RunMusic for the run and acts on the plain values it returns
// (which timers to enable, whether the CD timer stays on). Portable: no <windows.h>.
#pragma once

#include "music/mci_port.h"
#include "music/orbisette_bgm.h"
#include "settings/settings.h"

namespace orbisette {

// The timers the music start enables; at most one of them. Their ids and
// intervals are those of the saver window that carries them.
struct MusicTimers {
  bool Mp3Repeat = false;
  bool CdPoll = false;
};

class RunMusic {
 public:
  // settings must outlive the run; they are read afresh at the start, on each CD
  // poll and at the stop.
  RunMusic(MciPort& port, const Settings& settings, char decimalSeparator)
      : RunSettings(settings), Bgm(port, decimalSeparator) {}

  // Starts the music the settings choose; CD play itself begins at the CD poll's first tick.
  MusicTimers Start();
  // Restarts the MP3 when it is no longer playing.
  void Mp3RepeatTick();
  // Polls the drive. Returns the CD poll timer's new enabled flag (CdPollActive);
  // once false, nothing enables it again.
  bool CdPollTick();
  // The music stop. The caller disables the CD poll first and passes whether it
  // was enabled: only then is the CD stopped and closed. Ticks after it send nothing.
  void Stop(bool cdPollEnabled);

 private:
  const Settings& RunSettings;
  Orbisette_BGM Bgm;
  bool Stopped = false;
};

}  // namespace orbisette
