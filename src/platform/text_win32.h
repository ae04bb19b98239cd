// Text between the program's UTF-16 strings and the system's code pages, all
// converted here, and the few facts of the user's locale the core needs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace orbisette {

// Bytes in a code page (the system's ANSI one unless another is named) to
// UTF-16 and back. Bytes that are no character and characters the code page
// lacks get the platform's replacements, as in its profile functions.
std::wstring FromAnsi(std::string_view bytes, UINT codePage = CP_ACP);
std::string ToAnsi(std::wstring_view text, UINT codePage = CP_ACP);

// The path in the system's ANSI code page, only when every character has its
// own form there: no best-fit look-alikes, no default character, and the bytes
// read back as the same path.
std::optional<std::string> PathToAnsi(std::wstring_view path);

// The decimal separator of the user's locale, when it is one ASCII character;
// "." otherwise.
char LocaleDecimalSeparator();

// The full path of the running program file.
std::wstring ProgramPath();

}  // namespace orbisette
