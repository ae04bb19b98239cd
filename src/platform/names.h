// The names the program and its hosts share: the window titles and the guard a
// second copy looks for, and the files the run installs and reads. Each is
// defined here once.
#pragma once

namespace orbisette {

// The title of the saver window; a second copy ends when it sees it.
inline constexpr wchar_t SaverWindowTitle[] = L"Orbisette_Main";
// The title of the settings dialog; a second copy ends when it sees it.
inline constexpr wchar_t DialogWindowTitle[] = L"<Orbisette>";
// The named guard a run or the dialog holds beside its window; a second copy
// ends when another process holds it. One per logon session.
inline constexpr wchar_t InstanceGuardName[] = L"Local\\Orbisette.RunOrDialog";
// The caption of the program's message boxes.
inline constexpr wchar_t ProgramTitle[] = L"Orbisette";

// The ball image beside the program, and where every ball window loads it from.
inline constexpr wchar_t ImageFileName[] = L"Orbisette.dll";
inline constexpr wchar_t InstallDirectory[] = L"C:\\v_lumo";
inline constexpr wchar_t InstalledImagePath[] = L"C:\\v_lumo\\Orbisette.dll";
inline constexpr wchar_t SettingsFileName[] = L"Orbisette.ini";

}  // namespace orbisette
