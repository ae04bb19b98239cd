#include "dialog/dialog_context_win32.h"

#include <windows.h>

#include "platform/text_win32.h"
#include "web_page.h"  // ORBISETTE_WEB_PAGE, from the build's settings

namespace orbisette {

DialogContext SettingsDialogContext(std::filesystem::path settingsFile) {
  return {std::move(settingsFile), L"" ORBISETTE_WEB_PAGE, LocaleDecimalSeparator(), {PathToAnsi, ShortPathOf}};
}

std::optional<std::wstring> ShortPathOf(std::wstring_view path) {
  const std::wstring longPath(path);
  const DWORD needed = ::GetShortPathNameW(longPath.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::wstring shortPath(needed, L'\0');
  const DWORD n = ::GetShortPathNameW(longPath.c_str(), shortPath.data(), needed);
  if (n == 0 || n >= needed) return std::nullopt;
  shortPath.resize(n);
  return shortPath;
}

}  // namespace orbisette
