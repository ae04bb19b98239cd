#include "startup/program_win32.h"

#include "platform/paths.h"
#include "platform/text_win32.h"
#include "startup/command_line.h"

namespace orbisette::program {
namespace {
int liveWindows = 0;
}

std::wstring Arguments() { return ArgumentsOf(::GetCommandLineW()); }

std::wstring ApplicationDirectory() { return DirectoryOf(ProgramPath()); }

void NoteWindowCreated() noexcept { ++liveWindows; }

void NoteWindowDestroyed() noexcept {
  if (--liveWindows <= 0) ::PostQuitMessage(0);
}

void RunMessageLoop() noexcept {
  if (liveWindows <= 0) return;
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

void EndNow() noexcept { ::ExitProcess(0); }

}  // namespace orbisette::program
