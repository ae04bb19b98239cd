#include "dialog/dialog_model.h"

#include <charconv>
#include <utility>

#include "platform/numeric.h"

namespace orbisette {
namespace {

// The text of the repeat field for the number reader. A Japanese input method
// types full-width digits and signs; they read as their ASCII forms. Any other
// character outside ASCII makes the text no number.
std::string NarrowForNumber(std::wstring_view text) {
  std::string narrow;
  for (wchar_t c : text) {
    if (c >= 0xFF01 && c <= 0xFF5E) c = static_cast<wchar_t>(c - 0xFEE0);
    if (c == 0x3000) c = L' ';
    narrow += c < 0x80 ? static_cast<char>(c) : '?';
  }
  return narrow;
}

// What the save stores as BgmRepeat: the number in the field, nearest integer,
// or 0 when the field holds no number. Nullopt when the number does not fit
// 16 bits: the save is refused rather than storing a wrong track.
std::optional<std::int16_t> RepeatFromText(std::wstring_view text, char decimalSeparator) {
  const std::optional<double> number = ParseNumber(NarrowForNumber(text), decimalSeparator);
  if (!number) return std::int16_t{0};
  return RoundToInt16(*number);
}

// A path the settings file can hold and give back unchanged: one line, and no
// longer than a read returns.
bool Storable(const std::string& ansi) {
  return !ansi.empty() && ansi.size() <= MaxProfileValueBytes &&
         ansi.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
}

std::optional<std::string> AnsiFormOf(const AnsiPathPort& paths, std::wstring_view path) {
  if (paths.ToAnsi) {
    if (auto ansi = paths.ToAnsi(path); ansi && Storable(*ansi)) return ansi;
  }
  if (paths.ShortPath && paths.ToAnsi) {
    if (auto shortPath = paths.ShortPath(path)) {
      if (auto ansi = paths.ToAnsi(*shortPath); ansi && Storable(*ansi)) return ansi;
    }
  }
  return std::nullopt;
}

std::wstring RepeatOutOfRangeMessage() {
  return L"ﾘﾋﾟｰﾄする曲目には -32768 から 32767 までの数を入れてください。\n設定は保存していません。";
}

std::wstring SaveFailedMessage(const std::filesystem::path& file) {
  return L"設定ﾌｧｲﾙに書き込めませんでした。設定は保存していません。\n\n" + file.wstring();
}

std::wstring PathNotStorableMessage(std::wstring_view path) {
  // The limit in the message: the user can then see how much shorter the path must be.
  return L"このﾌｧｲﾙ名は設定ﾌｧｲﾙに書けません(" + std::to_wstring(MaxProfileValueBytes) +
         L" ﾊﾞｲﾄを超えるか、使えない文字を含んでいます)。\n前のﾌｧｲﾙのままです。\n\n" + std::wstring(path);
}

}  // namespace

std::wstring HashPatternText(long long value) { return value == 0 ? std::wstring() : std::to_wstring(value); }

const std::array<std::wstring, RepeatEntryCount>& RepeatEntries() {
  static const std::array<std::wstring, RepeatEntryCount> entries = [] {
    std::array<std::wstring, RepeatEntryCount> list;
    for (int i = 0; i < RepeatEntryCount; ++i) list[static_cast<std::size_t>(i)] = HashPatternText(i);
    return list;
  }();
  return entries;
}

std::wstring SpeedLabelText(float speed, char decimalSeparator) {
  if (speed == 0) speed = 0;  // "-0" read from the file shows as "0"
  char buffer[32];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, speed);
  std::wstring text;
  if (error != std::errc()) return text;
  for (const char* p = buffer; p != end; ++p) {
    char c = *p;
    if (c == '.') c = decimalSeparator;
    if (c == 'e') c = 'E';  // 1E+20, as the runtime writes large speeds
    text += static_cast<wchar_t>(static_cast<unsigned char>(c));
  }
  return text;
}

DialogModel::DialogModel(Settings& settings, DialogContext context)
    : Values(settings), Context(std::move(context)), RepeatEdit(HashPatternText(settings.BgmRepeat)) {
  // A speed the bar cannot take leaves it at its first value; the label still
  // shows the speed.
  if (auto whole = RoundToInt16(Values.MoveSpeed); whole && *whole >= SpeedBarMin && *whole <= SpeedBarMax) {
    BarValue = *whole;
  }
  SpeedCaption = SpeedLabelText(Values.MoveSpeed, Context.DecimalSeparator);
}

bool DialogModel::MarkOn(ControlId mark) const {
  const DialogControl& row = ControlRow(mark);
  return row.Kind == ControlKind::Mark && row.Setting && Values.*row.Setting == row.Value;
}

bool DialogModel::Enabled(ControlId id) const {
  switch (id) {
    case ControlId::BGM_Repeat: return Values.BgmKind == BgmCdAudio;
    case ControlId::Cmd_BGM: return Values.BgmKind == BgmMusicFile;
    case ControlId::Cmd_Etc: return !Context.WebPageAddress.empty();
    default: return true;
  }
}

void DialogModel::MoveSpeedBar(int value) {
  BarValue = value < SpeedBarMin ? SpeedBarMin : value > SpeedBarMax ? SpeedBarMax : value;
  SpeedCaption = std::to_wstring(BarValue);
}

void DialogModel::Press(ControlId id) {
  const DialogControl& row = ControlRow(id);
  if (!row.Setting) return;
  std::int16_t& value = Values.*row.Setting;
  value = row.OnClick == ControlAction::Toggle && value == row.Value ? std::int16_t{0} : row.Value;
}

std::optional<std::wstring> DialogModel::PickFile(std::wstring_view path) {
  if (path.empty()) return std::nullopt;  // nothing picked: nothing changes
  std::optional<std::string> ansi = AnsiFormOf(Context.Paths, path);
  if (!ansi) return PathNotStorableMessage(path);
  Values.BgmFile = std::move(*ansi);
  return std::nullopt;
}

std::optional<std::wstring> DialogModel::Save(FileStore& store) {
  // Every value is settled before anything is written.
  const std::optional<std::int16_t> repeat = RepeatFromText(RepeatEdit, Context.DecimalSeparator);
  if (!repeat) return RepeatOutOfRangeMessage();
  Values.BgmRepeat = *repeat;

  const std::string kind = SettingsNumberText(Values.BgmKind);
  const std::string repeatText = SettingsNumberText(Values.BgmRepeat);
  const std::string speed = SettingsNumberText(BarValue);
  const std::string rebound = SettingsNumberText(Values.Rebound);
  const ProfileEntry entries[] = {
      {KeyBgmKind, kind},    {KeyBgmRepeat, repeatText}, {KeyBgmFile, Values.BgmFile},
      {KeyMoveSpeed, speed}, {KeyRebound, rebound},
  };
  if (!WriteIniValues(store, SettingsSection, entries, Context.SettingsFile)) {
    return SaveFailedMessage(Context.SettingsFile);
  }
  return std::nullopt;
}

}  // namespace orbisette
