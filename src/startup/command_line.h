// What the screen-saver host tells the program on its command line: the mode
// letter, and for a preview the host window's handle. Portable text work.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orbisette {

// The argument text of a full process command line: the program name (quoted or
// not) and the blanks after it removed, the rest unchanged.
std::wstring ArgumentsOf(std::wstring_view fullCommandLine);

// The second character of the upper-cased arguments, or empty when there are
// fewer than two. The first character is never looked at: "/s", "-S" and "xs"
// all give "S".
std::wstring ModeLetter(std::wstring_view arguments);

// The host window's handle, for a preview ("/p <hwnd>") or the dialog's owner
// ("/c:<hwnd>"): the number read from the fourth character of the
// arguments on (blanks anywhere ignored, "&H" hexadecimal, stops at the first
// other character), nearest 32-bit integer; 0 when there is no number or it does
// not fit.
std::int32_t PreviewHostHandle(std::wstring_view arguments);

}  // namespace orbisette
