#include "music/mci_port_win32.h"

#include <windows.h>
// after <windows.h>, which leaves it out under WIN32_LEAN_AND_MEAN
#include <mmsystem.h>

#include "music/wave_head.h"
#include "platform/file_read_win32.h"
#include "platform/unique_handle_win32.h"

namespace orbisette {

static_assert(SndAsync == SND_ASYNC && SndNoDefault == SND_NODEFAULT && SndLoop == SND_LOOP);

namespace {

// The player trusts the header: a block align of 0, no channels or an absurd
// rate crash it, an empty data chunk spins it for good, a data chunk larger
// than the file overflows its stack.
bool HoldsTogether(const std::string& path) {
  const unique_handle file(NullIfInvalid(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.get(), &size)) return false;
  return IsPlayableWave(
      static_cast<std::uint64_t>(size.QuadPart),
      [&](std::uint64_t offset, std::span<std::uint8_t> into) { return ReadFileAt(file.get(), offset, into); });
}

DWORD WINAPI Silence(void* flags) {
  return static_cast<DWORD>(::PlaySoundA(nullptr, nullptr, static_cast<DWORD>(reinterpret_cast<UINT_PTR>(flags))));
}

}  // namespace

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
  if (soundName) return HoldsTogether(*soundName) ? ::PlaySoundA(soundName->c_str(), nullptr, flags) : FALSE;
  // Silencing waits until the platform's player has stopped, and a player stuck
  // on a file it cannot handle never does. The call runs on a thread of its own
  // so that the run's end goes on after SilenceWait; a player still stuck then
  // goes with the process, which ends right after.
  const HANDLE silencer =
      ::CreateThread(nullptr, 0, Silence, reinterpret_cast<void*>(static_cast<UINT_PTR>(flags)), 0, nullptr);
  if (!silencer) return ::PlaySoundA(nullptr, nullptr, flags);
  const unique_handle thread(silencer);
  DWORD result = FALSE;
  Stuck = ::WaitForSingleObject(thread.get(), SilenceWait) != WAIT_OBJECT_0;
  if (Stuck || !::GetExitCodeThread(thread.get(), &result)) return FALSE;
  return static_cast<std::int32_t>(result);
}

}  // namespace orbisette
