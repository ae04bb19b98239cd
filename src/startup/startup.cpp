#include "startup/startup.h"

#include "startup/command_line.h"

namespace orbisette {

StartupDecision DecideStartup(GuardFindings found, std::wstring_view arguments) {
  // A run or a dialog already open, or starting, turns every start away, a
  // preview's too.
  if (found.SaverOrDialogWindow || found.GuardHeld) return {StartupAction::End};
  const std::wstring letter = ModeLetter(arguments);
  if (letter == L"P") return {StartupAction::Preview, false, PreviewHostHandle(arguments)};
  if (letter == L"C") return {.Action = StartupAction::Dialog, .DialogOwnerHandle = PreviewHostHandle(arguments)};
  if (letter == L"S") return {StartupAction::Run, true};
  // No argument at all runs too, with the cursor left visible.
  if (arguments.empty()) return {StartupAction::Run, false};
  return {StartupAction::LoadSettingsThenEnd};
}

bool HoldsInstanceGuard(std::wstring_view arguments) {
  // What the start would do were nothing else open.
  const StartupAction action = DecideStartup({}, arguments).Action;
  return action == StartupAction::Run || action == StartupAction::Dialog;
}

}  // namespace orbisette
