// Orbisette_BGM, the background music module: the MCI command layer, the audio
// CD player and the MP3 / WAV player, talking to the platform through an MciPort.
// One object holds the module's buffers for as long as the run lives; they keep
// their content between calls, and that content counts (a mode query that fails
// leaves the old mode in place). Portable: no <windows.h>.
//
// Return codes land in ApiResult for every call of the command layer and of the
// CD player, and for the PlaySound calls of the WAV player. The MP3 player leaves
// ApiResult alone.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "music/mci_port.h"

namespace orbisette {

inline constexpr std::size_t MciReplyBufferSize = 512;
inline constexpr std::size_t MciErrorBufferSize = 256;
inline constexpr std::size_t CdModeBufferSize = 256;
inline constexpr std::size_t CdModeReplyLength = 255;  // the mode query offers one less than the buffer holds
inline constexpr std::size_t Mp3ModeBufferSize = 30;
inline constexpr std::size_t ModeCompareLength = 7;  // "stopped" and "playing" are both seven characters

// The replies of SendMciCommand that are not the platform's, in the ANSI bytes of
// a Japanese system, like every other reply it returns.
inline constexpr std::string_view NoCommandText =  // コマンド文字列が指定されていません
    "\x83\x52\x83\x7D\x83\x93\x83\x68\x95\xB6\x8E\x9A\x97\xF1\x82\xAA\x8E\x77\x92\xE8\x82\xB3\x82\xEA\x82\xC4"
    "\x82\xA2\x82\xDC\x82\xB9\x82\xF1";
inline constexpr std::string_view NoErrorText =  // Error (文字列が取れません)
    "Error (\x95\xB6\x8E\x9A\x97\xF1\x82\xAA\x8E\xE6\x82\xEA\x82\xDC\x82\xB9\x82\xF1)";

class Orbisette_BGM {
 public:
  // decimalSeparator is the user's locale's, with which the current-track reply is
  // read as a number.
  explicit Orbisette_BGM(MciPort& port, char decimalSeparator = '.') : Port(port), DecimalSeparator(decimalSeparator) {}

  // The command layer. SendMciCommand puts the reply, or the error text, into reply
  // and returns 0, the MCI error code, or -1 for an empty command (nothing sent).
  std::int32_t SendMciCommand(const std::string& command, std::string& reply);
  // The reply text, or "Error:" and the code when the command fails.
  std::string MciQuery(const std::string& command);
  // "play device", with " from start" and " to end" when given; returns the code.
  std::int32_t PlayMciRange(const std::string& device, const std::string& startPosition,
                            const std::string& endPosition);

  // The audio CD player. The poll starts play when the drive is stopped and, with
  // a track to repeat (bgmRepeat not 0), whenever the drive has left that track.
  // It clears CdPollActive when the drive cannot be used.
  void OpenCdAudio();
  void PollCdAudio(std::int16_t bgmRepeat);
  void StopCdAudio();

  // The file player: an MP3 through the MPEGVideo device under the alias MP3Play,
  // a WAV through PlaySound, looping by itself.
  void PlayMp3(const std::string& bgmFile);
  std::int16_t IsMp3Playing();  // -1 playing, 0 not
  void RepeatMp3();
  void StopMp3();
  void PlayWav(const std::string& bgmFile);
  void StopWav();

  // -1 while the CD poll may go on, 0 once the drive was found unusable.
  std::int16_t CdPollActive = 0;

 private:
  MciPort& Port;
  char DecimalSeparator;
  std::array<char, MciReplyBufferSize> MciReplyBuffer{};
  std::array<char, MciErrorBufferSize> MciErrorBuffer{};
  std::string MciReplyText;
  std::array<char, CdModeBufferSize> CdModeBuffer{};
  std::array<char, Mp3ModeBufferSize> Mp3ModeBuffer{};
};

}  // namespace orbisette
