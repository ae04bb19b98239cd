#include "dialog/dialog_context_win32.h"

#include <windows.h>

#include "platform/text_win32.h"
#include "web_page.h"  // ORBISETTE_WEB_PAGE, from the build's settings

namespace orbisette {

DialogContext SettingsDialogContext(std::filesystem::path settingsFile) {
  return {std::move(settingsFile), L"" ORBISETTE_WEB_PAGE, LocaleDecimalSeparator(), {PathToAnsi, ShortPathOf}};
}

std::optional<std::string> PathToAnsi(std::wstring_view path) {
  if (path.empty()) return std::string();
  const int length = static_cast<int>(path.size());
  // A UTF-8 system code page holds every path and does not take the flag.
  const bool utf8 = ::GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* const usedDefaultOut = utf8 ? nullptr : &usedDefault;
  const int n = ::WideCharToMultiByte(CP_ACP, flags, path.data(), length, nullptr, 0, nullptr, usedDefaultOut);
  if (n <= 0 || usedDefault) return std::nullopt;
  std::string ansi(static_cast<std::size_t>(n), '\0');
  if (::WideCharToMultiByte(CP_ACP, flags, path.data(), length, ansi.data(), n, nullptr, usedDefaultOut) != n ||
      usedDefault || FromAnsi(ansi) != path) {
    return std::nullopt;
  }
  return ansi;
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
