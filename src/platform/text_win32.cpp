#include "platform/text_win32.h"

#include <climits>

namespace orbisette {
namespace {

// WideCharToMultiByte into a string of its own; empty when it fails.
std::string Narrow(std::wstring_view text, UINT codePage, DWORD flags, BOOL* usedDefault) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int size = static_cast<int>(text.size());
  const int n = ::WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, usedDefault);
  if (n <= 0) return {};
  std::string bytes(static_cast<std::size_t>(n), '\0');
  if (::WideCharToMultiByte(codePage, flags, text.data(), size, bytes.data(), n, nullptr, usedDefault) != n) return {};
  return bytes;
}

}  // namespace

std::wstring FromAnsi(std::string_view bytes, UINT codePage) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  const int size = static_cast<int>(bytes.size());
  const int n = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  if (n <= 0) return {};
  std::wstring text(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), n);
  return text;
}

std::string ToAnsi(std::wstring_view text, UINT codePage) { return Narrow(text, codePage, 0, nullptr); }

std::optional<std::string> PathToAnsi(std::wstring_view path) {
  if (path.empty()) return std::string();
  // A UTF-8 system code page holds every path and does not take the flag.
  const bool utf8 = ::GetACP() == CP_UTF8;
  BOOL usedDefault = FALSE;
  std::string ansi =
      Narrow(path, CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, utf8 ? nullptr : &usedDefault);
  if (ansi.empty() || usedDefault || FromAnsi(ansi) != path) return std::nullopt;
  return ansi;
}

char LocaleDecimalSeparator() {
  wchar_t buffer[8] = {};
  if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) == 2 && buffer[0] > 0 && buffer[0] < 0x80) {
    return static_cast<char>(buffer[0]);
  }
  return '.';
}

std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);  // long path: try again with room to spare
  }
}

}  // namespace orbisette
