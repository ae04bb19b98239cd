#include "music/mci_port_win32.h"

#include <windows.h>
// after <windows.h>, which leaves it out under WIN32_LEAN_AND_MEAN
#include <mmsystem.h>

namespace orbisette {

static_assert(SndAsync == SND_ASYNC && SndNoDefault == SND_NODEFAULT && SndLoop == SND_LOOP);

std::int32_t Win32MciPort::SendString(const std::string& command, std::span<char> reply) {
  const MCIERROR code = ::mciSendStringA(command.c_str(), reply.empty() ? nullptr : reply.data(),
                                         static_cast<UINT>(reply.size()), nullptr);
  return static_cast<std::int32_t>(code);
}

bool Win32MciPort::GetErrorString(std::int32_t code, std::span<char> text) {
  return ::mciGetErrorStringA(static_cast<MCIERROR>(code), text.data(), static_cast<UINT>(text.size())) != FALSE;
}

std::int32_t Win32MciPort::WaveOutDeviceCount() { return static_cast<std::int32_t>(::waveOutGetNumDevs()); }

std::int32_t Win32MciPort::PlaySoundAnsi(const std::optional<std::string>& soundName, std::uint32_t flags) {
  return ::PlaySoundA(soundName ? soundName->c_str() : nullptr, nullptr, flags);
}

}  // namespace orbisette
