// What the settings dialog shows and does, decided without a window: which
// marks are on and which controls are enabled, the repeat combo's entries and
// text, the speed bar and its label, the music file, the rebound switch, and
// what "設定" writes to Orbisette.ini. The window creates the controls from the
// table in dialog_controls.h, forwards every press and change here, and shows
// what the model says (including the messages it hands back). Portable.
//
// The settings object is the program's own: choosing a music kind, a file or
// the rebound switch changes it at once, whether or not the dialog is saved.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "dialog/dialog_controls.h"
#include "settings/profile_file.h"
#include "settings/settings.h"

namespace orbisette {

// The repeat combo: 31 entries, the empty one for no repeat and then "1" to "30".
inline constexpr int RepeatEntryCount = 31;
// The speed bar: one end 10 (the top, as a vertical bar's minimum is), the other 60.
inline constexpr int SpeedBarMin = 10;
inline constexpr int SpeedBarMax = 60;
inline constexpr int SpeedBarStep = 1;  // the arrows and the track alike

// The music file picker.
// The one pair description / pattern; the array ends in two NULs as the picker needs.
inline constexpr wchar_t PickerFilter[] = L"BGMﾌｧｲﾙ (MP3 WAV)\0*.MP3;*.WAV\0";
inline constexpr std::wstring_view PickerTitle = L"ﾌｧｲﾙを開く";
// Buffers that hold whatever the picker may return: the longest path the
// platform's wide functions take, and the longest name of one file, each with
// its NUL. A path the settings file cannot hold is refused after the pick, with
// a message, rather than failing the pick without a word.
inline constexpr int PickerFileChars = 32768;    // the file-name buffer
inline constexpr int PickerTitleChars = 256;     // the file-title buffer
inline constexpr std::uint32_t PickerFlags = 0;  // the file need not exist

// The web page button, shown with the hourglass while the browser starts.
inline constexpr std::wstring_view WebPageVerb = L"open";

// A number in the "##" pattern: 0 gives the empty text, any other value its digits.
std::wstring HashPatternText(long long value);

// The 31 entries of the repeat combo, in list order.
const std::array<std::wstring, RepeatEntryCount>& RepeatEntries();

// The speed as its label shows it: the shortest decimal form ("15", "12.5"),
// with the locale's decimal separator.
std::wstring SpeedLabelText(float speed, char decimalSeparator);

// How a picked path becomes text the settings file can hold (it stores the
// system's ANSI code page). The shell answers with the platform's conversions.
struct AnsiPathPort {
  // The path in the ANSI code page, or nullopt when a character has no exact form there.
  std::function<std::optional<std::string>(std::wstring_view path)> ToAnsi;
  // The system's short (8.3) form of an existing path, or nullopt when it has none.
  std::function<std::optional<std::wstring>(std::wstring_view path)> ShortPath;
};

struct DialogContext {
  std::filesystem::path SettingsFile;  // the application directory's Orbisette.ini
  std::wstring WebPageAddress;         // a build setting; empty disables the button
  char DecimalSeparator = '.';         // the user's locale
  AnsiPathPort Paths;
};

class DialogModel {
 public:
  // Fills the controls from settings, as the dialog's load does.
  DialogModel(Settings& settings, DialogContext context);

  // The state of every control, asked by id after load and after each action.
  bool MarkOn(ControlId mark) const;
  bool Enabled(ControlId id) const;

  // The repeat combo's editable text; the window passes every edit back.
  const std::wstring& RepeatText() const { return RepeatEdit; }
  void SetRepeatText(std::wstring_view text) { RepeatEdit = text; }

  // The speed bar's position and the label beside it. Moving the bar changes
  // the label and what the save writes, never the speed in memory.
  int SpeedBar() const { return BarValue; }
  const std::wstring& SpeedLabel() const { return SpeedCaption; }
  void MoveSpeedBar(int value);

  // The music file as the settings file holds it (ANSI bytes) for lbl_Fname.
  const std::string& FileLabel() const { return Values.BgmFile; }

  const std::wstring& WebPageAddress() const { return Context.WebPageAddress; }

  // A click on a control whose row chooses or toggles a setting (a music mark
  // or its label, the rebound mark or its caption); other controls are left
  // to the window. A toggled value other than 0 or 1 shows the mark off, and
  // the click makes it 1.
  void Press(ControlId id);
  // A file chosen in the picker. The path is kept in ANSI, or as its short form
  // when only that can be written; failing both, the old file stays and the
  // returned message says why.
  std::optional<std::wstring> PickFile(std::wstring_view path);

  // "設定": writes the five keys in one replacement of the file. Returns nullopt
  // when saved (the dialog closes), or the message to show while the dialog
  // stays open and the file stays as it was. Cancel and the frame's close
  // simply never call this.
  std::optional<std::wstring> Save(FileStore& store);

 private:
  Settings& Values;
  DialogContext Context;
  std::wstring RepeatEdit;
  int BarValue = SpeedBarMin;
  std::wstring SpeedCaption;
};

}  // namespace orbisette
