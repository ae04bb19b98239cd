// The music file picker "ﾌｧｲﾙを開く" that the dialog's "..." opens: MP3 and WAV
// files, the file need not exist.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace orbisette {

// The path chosen, or nullopt when the picker was cancelled or failed.
std::optional<std::wstring> PickMusicFileName(HWND owner);

}  // namespace orbisette
