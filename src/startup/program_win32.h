// What really is process-wide in Orbisette: the settings, the values the
// start-up hands to the run, and the count of live windows that keeps the
// message loop going.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/api_result.h"
#include "settings/settings.h"

namespace orbisette::program {

inline Settings settings;
// The display counter ShowCursor returned when the start-up hid the cursor
// ("S" only); the run end hands it back to ShowCursor.
inline std::int32_t CursorShowCount = 0;
inline HINSTANCE instance = nullptr;

// The argument text of this process's command line.
std::wstring Arguments();
// The directory of the running program file.
std::wstring ApplicationDirectory();

// Every top-level window of the program reports its birth and death here. When the
// last one is gone the message loop ends and so does the process.
void NoteWindowCreated() noexcept;
void NoteWindowDestroyed() noexcept;
// Dispatches messages while any window lives; returns at once when none does.
void RunMessageLoop() noexcept;

// Ends the process at once: no further message, no window's unload handling.
[[noreturn]] void EndNow() noexcept;

}  // namespace orbisette::program
