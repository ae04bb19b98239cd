#include "startup/startup.h"

#include "startup/command_line.h"

namespace orbisette {

StartupDecision DecideStartup(bool saverOrDialogOpen, std::wstring_view arguments) {
  // A run or a dialog already open turns every start away, a preview's too.
  if (saverOrDialogOpen) return {StartupAction::End};
  const std::wstring letter = ModeLetter(arguments);
  if (letter == L"P") return {StartupAction::Preview, false, PreviewHostHandle(arguments)};
  if (letter == L"C") return {StartupAction::Dialog};
  if (letter == L"S") return {StartupAction::Run, true};
  // No argument at all runs too, with the cursor left visible.
  if (arguments.empty()) return {StartupAction::Run, false};
  return {StartupAction::LoadSettingsThenEnd};
}

}  // namespace orbisette
