// The run's music start, timer ticks and stop, on top of the music module.
#include "music/run_music.h"

#include <string>
#include <string_view>

namespace orbisette {
namespace {

enum class FileMusic { None, Wav, Mp3 };

// The music file the settings choose, decided afresh at the start and at the
// stop by the file's type: its last three characters (bytes of the ANSI name),
// upper-cased. "a.Mp3" and "amp3" are MP3; "a.wave" is no music.
FileMusic FileMusicOf(const Settings& settings) {
  if (settings.BgmKind != BgmMusicFile) return FileMusic::None;
  const std::string_view file = settings.BgmFile;
  std::string type(file.substr(file.size() < 3 ? 0 : file.size() - 3));
  for (char& c : type) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return type == "WAV" ? FileMusic::Wav : type == "MP3" ? FileMusic::Mp3 : FileMusic::None;
}

}  // namespace

MusicTimers RunMusic::Start() {
  if (RunSettings.BgmKind == BgmCdAudio) {
    Bgm.OpenCdAudio();
    return {.CdPoll = true};
  }
  const FileMusic file = FileMusicOf(RunSettings);
  if (file == FileMusic::Wav) Bgm.PlayWav(RunSettings.BgmFile);
  if (file == FileMusic::Mp3) Bgm.PlayMp3(RunSettings.BgmFile);
  return {.Mp3Repeat = file == FileMusic::Mp3};
}

void RunMusic::Mp3RepeatTick() {
  if (!Stopped) Bgm.RepeatMp3();
}

bool RunMusic::CdPollTick() {
  if (Stopped) return false;
  Bgm.PollCdAudio(RunSettings.BgmRepeat);
  return Bgm.CdPollActive != 0;
}

void RunMusic::Stop(bool cdPollEnabled) {
  Stopped = true;
  // The timer, not BgmKind: a poll that found no disc has already switched it off,
  // and the drive is then left alone.
  if (cdPollEnabled) Bgm.StopCdAudio();
  const FileMusic file = FileMusicOf(RunSettings);
  if (file == FileMusic::Wav) Bgm.StopWav();
  if (file == FileMusic::Mp3) Bgm.StopMp3();
}

}  // namespace orbisette
