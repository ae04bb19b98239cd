#include "settings/settings.h"

#include "platform/numeric.h"

namespace orbisette {
namespace {

// An integer setting: the text read as a number and rounded down. A failed
// reading leaves target untouched.
void LoadWhole(std::int16_t& target, const std::string& text, std::int16_t whenEmpty, char separator) {
  if (text.empty()) {
    target = whenEmpty;
    return;
  }
  if (auto number = ParseNumber(text, separator)) {
    if (auto whole = FloorToInt16(*number)) target = *whole;
  }
}

}  // namespace

void LoadSettings(Settings& settings, const SettingsSources& sources) {
  const char sep = sources.DecimalSeparator;
  LoadWhole(settings.BgmKind, sources.ReadKey(KeyBgmKind), 0, sep);
  LoadWhole(settings.BgmRepeat, sources.ReadKey(KeyBgmRepeat), 0, sep);

  const std::string file = sources.ReadKey(KeyBgmFile);
  settings.BgmFile = file;
  if (!file.empty() && !sources.FileExists(file)) settings.BgmFile.clear();
  if (settings.BgmFile.empty() && settings.BgmKind == BgmMusicFile) settings.BgmKind = BgmNone;

  const std::string speed = sources.ReadKey(KeyMoveSpeed);
  if (speed.empty()) {
    settings.MoveSpeed = DefaultMoveSpeed;
  } else if (auto number = ParseNumber(speed, sep)) {
    if (auto single = ToSingle(*number)) settings.MoveSpeed = *single;
  }

  LoadWhole(settings.Rebound, sources.ReadKey(KeyRebound), DefaultRebound, sep);
}

std::string SettingsNumberText(long long value) {
  std::string digits = std::to_string(value);
  return value < 0 ? digits : " " + digits;
}

}  // namespace orbisette
