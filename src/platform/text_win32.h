// Text between the program's UTF-16 strings and the system's ANSI code page, and
// the few facts of the user's locale the core needs.
#pragma once

#include <string>
#include <string_view>

namespace orbisette {

std::wstring FromAnsi(std::string_view ansi);

// The decimal separator of the user's locale, when it is one ASCII character;
// "." otherwise.
char LocaleDecimalSeparator();

// The full path of the running program file.
std::wstring ProgramPath();

}  // namespace orbisette
