// The music's port to the platform, on winmm: MCI command strings, their error
// texts, the wave output device count and PlaySoundA.
#pragma once

#include "music/mci_port.h"

namespace orbisette {

class Win32MciPort final : public MciPort {
 public:
  std::int32_t SendString(const std::string& command, std::span<char> reply) override;
  bool GetErrorString(std::int32_t code, std::span<char> text) override;
  std::int32_t WaveOutDeviceCount() override;
  // A sound file whose header does not hold together is not handed to the
  // platform's player (FALSE, as for a file it cannot play); silencing (no
  // sound name) waits at most SilenceWait for the player.
  std::int32_t PlaySoundAnsi(const std::optional<std::string>& soundName, std::uint32_t flags) override;

  // Whether a silencing did not finish within SilenceWait: the player is stuck,
  // and the process had better end without the platform's clean-up, which
  // would wait for it.
  bool PlayerStuck() const { return Stuck; }

  // Long enough for a player that stops (a few milliseconds), short enough that
  // the run still ends well within a second of the key that ended it.
  static constexpr unsigned SilenceWait = 300;  // milliseconds

 private:
  bool Stuck = false;
};

}  // namespace orbisette
