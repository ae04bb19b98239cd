#include "startup/command_line.h"

#include "platform/numeric.h"

namespace orbisette {

std::wstring ArgumentsOf(std::wstring_view fullCommandLine) {
  std::size_t i = 0;
  const std::size_t n = fullCommandLine.size();
  if (n > 0 && fullCommandLine[0] == L'"') {
    // A quoted program name runs to the closing quote (or the end).
    i = 1;
    while (i < n && fullCommandLine[i] != L'"') ++i;
    if (i < n) ++i;
  } else {
    while (i < n && fullCommandLine[i] != L' ' && fullCommandLine[i] != L'\t') ++i;
  }
  while (i < n && (fullCommandLine[i] == L' ' || fullCommandLine[i] == L'\t')) ++i;
  return std::wstring(fullCommandLine.substr(i));
}

std::wstring ModeLetter(std::wstring_view arguments) {
  if (arguments.size() < 2) return {};
  wchar_t c = arguments[1];
  if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return std::wstring(1, c);
}

std::int32_t PreviewHostHandle(std::wstring_view arguments) {
  if (arguments.size() < 4) return 0;
  // Only ASCII can be part of a number; anything else stops the reading.
  std::string text;
  for (wchar_t c : arguments.substr(3)) {
    text += (static_cast<unsigned>(c) < 0x80u) ? static_cast<char>(c) : '\x7f';
  }
  return RoundToInt32(ReadLeadingNumber(text)).value_or(0);
}

}  // namespace orbisette
