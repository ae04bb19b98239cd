// The numeric rules every part of Orbisette shares: how floating-point values
// become integers, and how text becomes a number. Portable: no <windows.h>.
//
// A conversion that the program treats as "raises an error and is skipped"
// returns an empty optional; the caller keeps its old value.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orbisette {

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4, -0.5 -> 0). Out of range
// (after rounding) or not a number gives nullopt, never a wrapped value.
std::optional<std::int16_t> RoundToInt16(double value);
std::optional<std::int32_t> RoundToInt32(double value);

// The largest integer not greater than value (1.7 -> 1, -0.5 -> -1), or nullopt
// when that integer does not fit 16 bits.
std::optional<std::int16_t> FloorToInt16(double value);

// Nearest single-precision value, or nullopt when the value is beyond the range
// of a float (an overflow, not infinity) or not a number.
std::optional<float> ToSingle(double value);

// Reads the whole text as a number, as the settings need it: spaces and tabs
// around it are allowed; an optional sign, digits with at most one
// decimalSeparator (the locale's, passed in by the shell), an optional exponent
// (E or D); or "&H" hexadecimal / "&O" octal digits. Anything else, an empty
// text included, gives nullopt.
std::optional<double> ParseNumber(std::string_view text, char decimalSeparator);

// Reads the number at the start of the text, the lenient way a preview handle is
// read: blanks, tabs and line feeds are skipped wherever they occur, reading stops
// at the first character that cannot continue the number ("." is the decimal
// point), "&H" reads hexadecimal and "&O" octal, and no number at all gives 0.
double ReadLeadingNumber(std::string_view text);

}  // namespace orbisette
