// The process entry and Main: the single-instance guard, the mode letter the
// screen-saver host passes, the settings, and the ball image's installation.
// Every step goes on past a failure silently; nothing here shows a message.
#include <windows.h>

#include "platform/paths.h"
#include "platform/text_win32.h"
#include "saver/saver_window_win32.h"
#include "settings/file_store_win32.h"
#include "settings/profile_file.h"
#include "startup/command_line.h"
#include "startup/program_win32.h"

namespace orbisette {
namespace {

constexpr wchar_t SaverWindowTitle[] = L"Orbisette_Main";
constexpr wchar_t DialogWindowTitle[] = L"<Orbisette>";
constexpr wchar_t InstallDirectory[] = L"C:\\v_lumo";
constexpr wchar_t InstalledImage[] = L"C:\\v_lumo\\Orbisette.dll";
constexpr wchar_t ImageFileName[] = L"Orbisette.dll";
constexpr wchar_t SettingsFileName[] = L"Orbisette.ini";

void LoadProgramSettings() {
  Win32FileStore store;
  const std::filesystem::path ini = JoinPath(program::ApplicationDirectory(), SettingsFileName);
  LoadSettings(program::settings,
               {[&](std::string_view key) { return ReadIniValue(store, SettingsSection, key, ini); },
                [](const std::string& path) { return FileExistsAnsi(path); }, LocaleDecimalSeparator()});
}

// Puts a fresh copy of the ball image where every ball window loads it from. An
// image missing beside the program leaves an earlier copy in use.
void InstallBallImage() {
  ::CreateDirectoryW(InstallDirectory, nullptr);  // an existing one is fine
  const std::wstring source = JoinPath(program::ApplicationDirectory(), ImageFileName);
  if (FileExists(source)) ::CopyFileW(source.c_str(), InstalledImage, FALSE);
}

void Main() {
  // Both searches always run, whatever the first one found.
  const HWND runningSaver = ::FindWindowW(nullptr, SaverWindowTitle);
  const HWND openDialog = ::FindWindowW(nullptr, DialogWindowTitle);
  if (runningSaver || openDialog) program::EndNow();

  const std::wstring arguments = program::Arguments();
  const std::wstring letter = ModeLetter(arguments);

  if (letter == L"P") {
    // The preview picture is not part of this build yet: nothing to show.
    return;
  }

  LoadProgramSettings();

  if (letter == L"C") {
    // The settings dialog is not part of this build yet.
    program::EndNow();
  }
  if (!arguments.empty() && letter != L"S") program::EndNow();

  if (letter == L"S") program::CursorShowCount = ::ShowCursor(FALSE);

  InstallBallImage();

  LoadSaverWindow();
}

}  // namespace
}  // namespace orbisette

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  orbisette::program::instance = instance;
  orbisette::Main();
  orbisette::program::RunMessageLoop();
  return 0;
}
