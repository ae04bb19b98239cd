// What the settings dialog needs from this system beyond the settings: the
// settings file, the web page the build names, the locale's decimal separator,
// and the platform's ANSI and short-path conversions of a picked path.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "dialog/dialog_model.h"

namespace orbisette {

DialogContext SettingsDialogContext(std::filesystem::path settingsFile);

// The system's short (8.3) form of an existing path.
std::optional<std::wstring> ShortPathOf(std::wstring_view path);

}  // namespace orbisette
