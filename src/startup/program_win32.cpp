#include "startup/program_win32.h"

#include <windows.h>

#include "platform/paths.h"
#include "platform/text_win32.h"
#include "startup/command_line.h"

namespace orbisette::program {

std::wstring Arguments() { return ArgumentsOf(::GetCommandLineW()); }

std::wstring ApplicationDirectory() { return DirectoryOf(ProgramPath()); }

void EndNow() noexcept { ::ExitProcess(0); }

}  // namespace orbisette::program
