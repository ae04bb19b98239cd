// What the start-up does with a command line: one decision, made before any
// window exists, that the shell then carries out. Portable.
#pragma once

#include <cstdint>
#include <string_view>

namespace orbisette {

enum class StartupAction {
  End,                  // end at once: nothing read, nothing shown
  Preview,              // the still picture in the host's box
  Dialog,               // the settings dialog, then the end
  LoadSettingsThenEnd,  // a letter without a branch of its own
  Run,                  // the screen-saver run
};

struct StartupDecision {
  StartupAction Action = StartupAction::End;
  // Run only: "S" hides the cursor for the run; an empty command line leaves it.
  bool HideCursor = false;
  // Preview only: the host window's handle from the command line (0 when none).
  std::int32_t PreviewHandle = 0;

  bool LoadsSettings() const {
    return Action == StartupAction::Dialog || Action == StartupAction::LoadSettingsThenEnd ||
           Action == StartupAction::Run;
  }
};

// saverOrDialogOpen: a window titled "Orbisette_Main" or "<Orbisette>" exists.
// arguments: the command line without the program's name.
StartupDecision DecideStartup(bool saverOrDialogOpen, std::wstring_view arguments);

}  // namespace orbisette
