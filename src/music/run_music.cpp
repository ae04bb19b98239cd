// The run's music start, timer ticks and stop, on top of the music module.
#include "music/run_music.h"

namespace orbisette {

std::string MusicFileType(std::string_view bgmFile) {
  std::string type(bgmFile.substr(bgmFile.size() < 3 ? 0 : bgmFile.size() - 3));
  for (char& c : type) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return type;
}

MusicTimers RunMusic::Start() {
  MusicTimers timers;
  if (RunSettings.BgmKind == BgmCdAudio) {
    Bgm.OpenCdAudio();
    timers.Timer2 = true;
  } else if (RunSettings.BgmKind == BgmMusicFile) {
    const std::string type = MusicFileType(RunSettings.BgmFile);
    if (type == "WAV") Bgm.PlayWav(RunSettings.BgmFile);
    if (type == "MP3") {
      Bgm.PlayMp3(RunSettings.BgmFile);
      timers.Timer1 = true;
    }
  }
  return timers;
}

void RunMusic::Timer1Tick() {
  if (!Stopped) Bgm.RepeatMp3();
}

bool RunMusic::Timer2Tick() {
  if (Stopped) return false;
  Bgm.PollCdAudio(RunSettings.BgmRepeat);
  return Bgm.CdPollActive != 0;
}

void RunMusic::Stop(bool timer2Enabled) {
  Stopped = true;
  // The timer, not BgmKind: a poll that found no disc has already switched it off,
  // and the drive is then left alone.
  if (timer2Enabled) Bgm.StopCdAudio();
  if (RunSettings.BgmKind == BgmMusicFile) {
    const std::string type = MusicFileType(RunSettings.BgmFile);
    if (type == "WAV") Bgm.StopWav();
    if (type == "MP3") Bgm.StopMp3();
  }
}

}  // namespace orbisette
