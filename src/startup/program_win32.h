// The few facts of the running process the shell asks for: its arguments, its
// folder, and its immediate end.
#pragma once

#include <string>

namespace orbisette::program {

// The argument text of this process's command line.
std::wstring Arguments();
// The directory of the running program file.
std::wstring ApplicationDirectory();

// Ends the process at once: no further message, no window's unload handling.
[[noreturn]] void EndNow() noexcept;

}  // namespace orbisette::program
