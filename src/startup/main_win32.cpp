// The process entry and Main: the single-instance guard (the window search and
// the named guard beside it), the decision on the command line the screen-saver
// host passes, the settings, and the ball image's installation. Every step goes
// on past a failure silently; nothing here shows a message. The start-up owns
// the settings and what the command line starts (the run or the preview), and
// keeps both until the process ends.
#include <windows.h>

#include <memory>
#include <optional>

#include "dialog/settings_dialog_win32.h"
#include "platform/names.h"
#include "platform/paths.h"
#include "platform/text_win32.h"
#include "platform/window_win32.h"
#include "preview/preview_window_win32.h"
#include "saver/saver_run_win32.h"
#include "settings/file_store_win32.h"
#include "settings/profile_file.h"
#include "startup/instance_guard_win32.h"
#include "startup/program_win32.h"
#include "startup/startup.h"

namespace orbisette {
namespace {

std::filesystem::path SettingsFilePath() { return JoinPath(program::ApplicationDirectory(), SettingsFileName); }

void LoadProgramSettings(Settings& settings) {
  Win32FileStore store;
  LoadSettings(settings, {IniSectionReader(store, SettingsSection, SettingsFilePath(), SettingsKeys),
                          [](const std::string& path) { return FileExistsAnsi(path); }, LocaleDecimalSeparator()});
}

// Puts a fresh copy of the ball image where every ball window loads it from. An
// image missing beside the program leaves an earlier copy in use.
void InstallBallImage() {
  ::CreateDirectoryW(InstallDirectory, nullptr);  // an existing one is fine
  const std::wstring source = JoinPath(program::ApplicationDirectory(), ImageFileName);
  if (FileExists(source)) ::CopyFileW(source.c_str(), InstalledImagePath, FALSE);
}

// A handle from the command line as a window. Window handles keep 32
// significant bits; a 64-bit one is the sign-extended value.
HWND WindowFromHandle(std::int32_t handle) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle)); }

// The dialog's owner: a handle inside the host's window stands for the window
// it lies in, which owns the dialog and is disabled while it is open; null when
// the command line names no window.
HWND DialogOwner(std::int32_t handle) {
  const HWND hwnd = WindowFromHandle(handle);
  return hwnd && ::IsWindow(hwnd) ? ::GetAncestor(hwnd, GA_ROOT) : nullptr;
}

class StartUp {
 public:
  void Main() {
    // Both searches always run, whatever the first one found.
    const HWND runningSaver = ::FindWindowW(nullptr, SaverWindowTitle);
    const HWND openDialog = ::FindWindowW(nullptr, DialogWindowTitle);
    // Beside them the named guard, which two starts that come together cannot both pass.
    const std::wstring arguments = program::Arguments();
    Guard.emplace(HoldsInstanceGuard(arguments));
    const StartupDecision decision = DecideStartup({runningSaver || openDialog, Guard->HeldElsewhere()}, arguments);

    if (decision.LoadsSettings()) LoadProgramSettings(ProgramSettings);
    switch (decision.Action) {
      case StartupAction::End:
      case StartupAction::LoadSettingsThenEnd: program::EndNow();
      case StartupAction::Preview: StartPreview(decision); return;
      case StartupAction::Dialog: ShowDialog(decision); program::EndNow();
      case StartupAction::Run: StartRun(decision); return;
    }
  }

 private:
  // Modal over the host's window when "/c:HWND" names one; the process ends once it has closed.
  void ShowDialog(const StartupDecision& decision) {
    SettingsDialog dialog(ProgramSettings, SettingsDialogContext(SettingsFilePath()),
                          DialogOwner(decision.DialogOwnerHandle));
    dialog.ShowModal();
  }

  void StartRun(const StartupDecision& decision) {
    RunOptions options;
    if (decision.HideCursor) options = {true, ::ShowCursor(FALSE)};
    InstallBallImage();
    // The process ends as soon as the run has ended.
    Run = std::make_unique<SaverRun>(ProgramSettings, options, [] { program::EndNow(); });
    Run->Start();
  }

  void StartPreview(const StartupDecision& decision) {
    const HWND host = WindowFromHandle(decision.PreviewHandle);
    // No host hands over the desktop as its box: a preview there would cover the
    // screen's corner and never end.
    const bool hostIsBox = ::IsWindow(host) && host != ::GetDesktopWindow();
    if (DecidePreviewStart(decision.PreviewHandle, hostIsBox) == PreviewStart::EndAtOnce) program::EndNow();
    // The process lives exactly as long as the preview.
    Preview = std::make_unique<PreviewWindow>([] { program::EndNow(); });
    if (!Preview->Embed(host)) program::EndNow();
  }

  // Held by a run or the dialog until the process ends.
  std::optional<InstanceGuard> Guard;
  Settings ProgramSettings;
  std::unique_ptr<SaverRun> Run;
  std::unique_ptr<PreviewWindow> Preview;
};

}  // namespace
}  // namespace orbisette

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Lives until the process ends; its windows end the process themselves.
  static auto* startUp = new orbisette::StartUp();
  startUp->Main();
  orbisette::Window::RunMessageLoop();
  return 0;
}
