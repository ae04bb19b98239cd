// The five settings of Orbisette, their keys in Orbisette.ini and how they are
// loaded. Portable: no <windows.h>.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace orbisette {

// The section and key names exactly as a Japanese system's profile functions
// store them: code page 932 bytes, whatever code page this system uses.
inline constexpr std::string_view SettingsSection = "Section";
inline constexpr std::string_view KeyBgmKind = "\x42\x47\x4D\x8B\xE6\x95\xAA";        // BGM区分
inline constexpr std::string_view KeyBgmRepeat = "\x42\x47\x4D\xD8\xCB\xDF\xB0\xC4";  // BGMﾘﾋﾟｰﾄ
inline constexpr std::string_view KeyBgmFile = "\x42\x47\x4D\xCC\xA7\xB2\xD9";        // BGMﾌｧｲﾙ
inline constexpr std::string_view KeyMoveSpeed = "\x88\xDA\x93\xAE\x91\xAC\x93\x78";  // 移動速度
inline constexpr std::string_view KeyRebound = "\x94\xBD\x9D\x9B";                    // 反撥

// The five keys, in the order LoadSettings reads them.
inline constexpr std::array<std::string_view, 5> SettingsKeys = {KeyBgmKind, KeyBgmRepeat, KeyBgmFile, KeyMoveSpeed,
                                                                 KeyRebound};

inline constexpr std::int16_t BgmNone = 0;
inline constexpr std::int16_t BgmCdAudio = 1;
inline constexpr std::int16_t BgmMusicFile = 2;
inline constexpr float DefaultMoveSpeed = 15.0f;
inline constexpr std::int16_t DefaultRebound = 1;

// The settings values. All start at 0 or empty; LoadSettings fills them.
struct Settings {
  std::int16_t BgmKind = 0;    // 0 none, 1 audio CD, 2 MP3 or WAV file
  std::int16_t BgmRepeat = 0;  // audio CD track to repeat; 0 plays the whole disc
  std::string BgmFile;         // full path of the music file, in the system's ANSI code page
  float MoveSpeed = 0.0f;      // twips per animation tick
  std::int16_t Rebound = 0;    // 1: balls rebound from one another
};

struct SettingsSources {
  // The text of one key of the settings file (empty when missing).
  std::function<std::string(std::string_view key)> ReadKey;
  // Whether the music file can be opened for reading.
  std::function<bool(const std::string& path)> FileExists;
  // The decimal separator of the user's locale.
  char DecimalSeparator = '.';
};

// Reads the five keys into settings. An empty key gives its default; a number
// that cannot be read, or that does not fit a 16-bit integer, leaves the value as
// it was (so at start-up letters in the speed give 0, not 15). A music file that
// cannot be opened is forgotten, and music kind 2 then falls back to none.
void LoadSettings(Settings& settings, const SettingsSources& sources);

// A number as the settings dialog writes it: a space before a value that is not
// negative (" 2"), a minus sign before one that is ("-3").
std::string SettingsNumberText(long long value);

}  // namespace orbisette
