// The platform's multimedia services as the music sees them: MCI command strings
// and their error texts, the count of wave output devices, and PlaySound. The
// shell implements this with winmm; the unit tests script it. Portable: no
// <windows.h>.
//
// Buffers belong to the caller and are handed over with the length the platform
// may write. Whatever the platform leaves in them (a full reply, a reply with no
// NUL, or nothing at all) stays there, exactly as with the real calls.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orbisette {

// PlaySound flags, with the platform's values.
inline constexpr std::uint32_t SndAsync = 0x0001;
inline constexpr std::uint32_t SndNoDefault = 0x0002;
inline constexpr std::uint32_t SndLoop = 0x0008;

class MciPort {
 public:
  virtual ~MciPort() = default;
  // mciSendStringA with no callback window: command in ANSI bytes; reply is the
  // return buffer and its size the return length (empty: a null buffer and 0).
  // Returns the MCI error code, 0 on success.
  virtual std::int32_t SendString(const std::string& command, std::span<char> reply) = 0;
  // mciGetErrorStringA: the text of code into text, at most text.size() characters
  // with its NUL. False when the platform has no text for it.
  virtual bool GetErrorString(std::int32_t code, std::span<char> text) = 0;
  // waveOutGetNumDevs, read as a signed count.
  virtual std::int32_t WaveOutDeviceCount() = 0;
  // PlaySoundA with no module handle: the sound name in ANSI bytes, or none to
  // silence what plays. Returns the BOOL result.
  virtual std::int32_t PlaySoundAnsi(const std::optional<std::string>& soundName, std::uint32_t flags) = 0;
};

// The text a fixed-size reply buffer holds: everything before its first NUL (the
// whole buffer when it has none). What follows is left over from earlier replies.
inline std::string TextBeforeNul(std::span<const char> buffer) {
  const std::string_view all(buffer.data(), buffer.size());
  return std::string(all.substr(0, all.find('\0')));
}

}  // namespace orbisette
