// The background music module: command layer, audio CD player, MP3 / WAV player.
#include "music/orbisette_bgm.h"

#include <optional>
#include <span>

#include "platform/api_result.h"
#include "platform/numeric.h"

namespace orbisette {
namespace {

// The mode a buffer holds, as far as it is ever compared.
bool ModeIs(std::span<const char> buffer, std::string_view mode) {
  return TextBeforeNul(buffer).substr(0, ModeCompareLength) == mode;
}

bool ContainsErr(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text.find("ERR") != std::string::npos;
}

}  // namespace

std::int32_t Orbisette_BGM::SendMciCommand(const std::string& command, std::string& reply) {
  if (command.empty()) {
    reply = NoCommandText;
    return -1;
  }
  const std::int32_t code = Port.SendString(command, MciReplyBuffer);
  ApiResult = code;
  if (code != 0) {
    reply = Port.GetErrorString(code, MciErrorBuffer) ? TextBeforeNul(MciErrorBuffer) : std::string(NoErrorText);
    return code;
  }
  reply = TextBeforeNul(MciReplyBuffer);
  return 0;
}

std::string Orbisette_BGM::MciQuery(const std::string& command) {
  const std::int32_t code = SendMciCommand(command, MciReplyText);
  ApiResult = code;
  if (code != 0) return "Error:" + std::to_string(code);
  return MciReplyText;
}

std::int32_t Orbisette_BGM::PlayMciRange(const std::string& device, const std::string& startPosition,
                                         const std::string& endPosition) {
  std::string command = "play " + device;
  if (!startPosition.empty()) command += " from " + startPosition;
  if (!endPosition.empty()) command += " to " + endPosition;
  return SendMciCommand(command, MciReplyText);
}

void Orbisette_BGM::OpenCdAudio() {
  ApiResult = Port.SendString("open cdaudio", {});
  ApiResult = Port.SendString("set cdaudio time format tmsf", {});
}

void Orbisette_BGM::PollCdAudio(std::int16_t bgmRepeat) {
  CdPollActive = -1;
  // No disc, no drive or a drive that is not open: the queries answer "Error:<code>".
  const std::string track = MciQuery("status cdaudio current track");
  if (ContainsErr(track)) {
    CdPollActive = 0;
    return;
  }
  if (ContainsErr(MciQuery("status cdaudio number of tracks"))) {
    CdPollActive = 0;
    return;
  }
  // The code is not looked at: a failed query leaves the last mode in the buffer.
  ApiResult = Port.SendString("status cdaudio mode", std::span(CdModeBuffer).first(CdModeReplyLength));
  const bool stopped = ModeIs(CdModeBuffer, "stopped");

  if (bgmRepeat == 0) {
    if (stopped) PlayMciRange("cdaudio", "", "");
    return;
  }
  // The track is read as a number whether or not the drive is stopped; a reply that
  // is no number ends the polling as a missing disc does.
  const std::optional<double> trackNumber = ParseNumber(track, DecimalSeparator);
  if (!trackNumber) {
    CdPollActive = 0;
    return;
  }
  if (stopped || *trackNumber != bgmRepeat) {
    // In the tmsf time format the track's position goes unchanged into the play command.
    const std::string start = MciQuery("status cdaudio position track " + std::to_string(bgmRepeat));
    PlayMciRange("cdaudio", start, "");
  }
}

void Orbisette_BGM::StopCdAudio() {
  ApiResult = Port.SendString("stop cdaudio", {});
  ApiResult = Port.SendString("close cdaudio", {});
}

void Orbisette_BGM::PlayMp3(const std::string& bgmFile) {
  // The quotes keep a path with spaces one word.
  if (Port.SendString("open \"" + bgmFile + "\" type MPEGVideo Alias MP3Play", {}) == 0) {
    Port.SendString("play MP3Play", {});
  }
}

std::int16_t Orbisette_BGM::IsMp3Playing() {
  Port.SendString("status MP3Play mode", Mp3ModeBuffer);
  return ModeIs(Mp3ModeBuffer, "playing") ? -1 : 0;
}

void Orbisette_BGM::RepeatMp3() {
  if (IsMp3Playing()) return;
  Port.SendString("stop MP3Play", {});
  Port.SendString("play MP3Play from 0", {});
}

void Orbisette_BGM::StopMp3() {
  Port.SendString("stop MP3Play", {});
  Port.SendString("close MP3Play", {});
}

void Orbisette_BGM::PlayWav(const std::string& bgmFile) {
  if (Port.WaveOutDeviceCount() <= 0) return;
  // Without SndNoDefault a file that exists but cannot be played would loop the
  // system's default sound for the whole run.
  ApiResult = Port.PlaySoundAnsi(bgmFile, SndAsync | SndLoop | SndNoDefault);
}

void Orbisette_BGM::StopWav() { ApiResult = Port.PlaySoundAnsi(std::nullopt, 0); }

}  // namespace orbisette
