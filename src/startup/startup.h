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
  // Dialog only: the host's window from "/c:HWND" that owns the dialog (0 when none).
  std::int32_t DialogOwnerHandle = 0;

  bool LoadsSettings() const {
    return Action == StartupAction::Dialog || Action == StartupAction::LoadSettingsThenEnd ||
           Action == StartupAction::Run;
  }
};

// What the single-instance guard found before anything else was done.
struct GuardFindings {
  // A window titled "Orbisette_Main" or "<Orbisette>" exists.
  bool SaverOrDialogWindow = false;
  // Another process holds the named guard: a run or a dialog, perhaps one
  // that has not made its window yet.
  bool GuardHeld = false;
};

// arguments: the command line without the program's name.
StartupDecision DecideStartup(GuardFindings found, std::wstring_view arguments);

// Whether a start holds the named guard for its whole life: exactly the run
// and the dialog, the two the window search looks for. Every other start (the
// preview among them, which the host keeps running while its dialog opens)
// only looks.
bool HoldsInstanceGuard(std::wstring_view arguments);

}  // namespace orbisette
