#include "platform/numeric.h"

#include <cmath>
#include <limits>
#include <string>

namespace orbisette {
namespace {

std::optional<double> NearestWhole(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  // nearbyint honours the current rounding mode, which the program never changes
  // from round-to-nearest-even.
  return std::nearbyint(value);
}

template <typename Int>
std::optional<Int> FitWhole(double whole) {
  if (whole < static_cast<double>(std::numeric_limits<Int>::min()) ||
      whole > static_cast<double>(std::numeric_limits<Int>::max())) {
    return std::nullopt;
  }
  return static_cast<Int>(whole);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v < base ? v : -1;
}

// "&H"/"&O" digits are a 16-bit value up to four hex (six octal) digits and a
// 32-bit value up to eight hex (eleven octal), two's complement, as the host
// runtime reads such literals; longer runs overflow.
std::optional<double> RadixValue(std::string_view digits, int base) {
  if (digits.empty()) return std::nullopt;
  const std::size_t shortLimit = base == 16 ? 4 : 6;
  const std::size_t longLimit = base == 16 ? 8 : 11;
  std::size_t first = digits.find_first_not_of('0');
  std::string_view significant = first == std::string_view::npos ? std::string_view{} : digits.substr(first);
  if (significant.size() > longLimit) return std::nullopt;
  std::uint64_t v = 0;
  for (char c : significant) v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(DigitValue(c, base));
  if (v > 0xFFFFFFFFu) return std::nullopt;
  if (significant.size() <= shortLimit && v <= 0xFFFFu) {
    return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(v)));
  }
  return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
}

int RadixOf(char tag) {
  if (tag == 'H' || tag == 'h') return 16;
  if (tag == 'O' || tag == 'o') return 8;
  return 0;
}

// "&H"/"&O" and digits that must run to the end of the text.
std::optional<double> WholeRadixNumber(std::string_view body) {
  const int base = RadixOf(body[1]);
  if (base == 0) return std::nullopt;
  const std::string_view digits = body.substr(2);
  for (char c : digits) {
    if (DigitValue(c, base) < 0) return std::nullopt;
  }
  return RadixValue(digits, base);
}

// "&H"/"&O" and the digits that follow, up to the first other character.
double LeadingRadixNumber(std::string_view packed) {
  const int base = RadixOf(packed[1]);
  if (base == 0) return 0.0;
  std::size_t n = 2;
  while (n < packed.size() && DigitValue(packed[n], base) >= 0) ++n;
  return RadixValue(packed.substr(2, n - 2), base).value_or(0.0);
}

// Copies the digits at i into canonical; whether there was one.
bool CopyDigits(std::string_view text, std::size_t& i, std::string& canonical) {
  bool anyDigit = false;
  while (i < text.size() && IsDigit(text[i])) {
    canonical += text[i++];
    anyDigit = true;
  }
  return anyDigit;
}

// An optional sign, digits and at most one decimal separator (as "."), from i
// on into canonical; whether any digit came.
bool ReadMantissa(std::string_view text, std::size_t& i, char decimalSeparator, std::string& canonical) {
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) canonical += text[i++];
  bool anyDigit = CopyDigits(text, i, canonical);
  if (i < text.size() && text[i] == decimalSeparator) {
    canonical += '.';
    ++i;
    anyDigit = CopyDigits(text, i, canonical) || anyDigit;
  }
  return anyDigit;
}

bool IsExponentMark(char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }

// An exponent (E or D, an optional sign, digits) at i, added to canonical only
// when it has a digit; whether one was there to read and had none.
bool ReadExponent(std::string_view text, std::size_t& i, std::string& canonical) {
  if (i >= text.size() || !IsExponentMark(text[i])) return false;
  std::string exponent = "e";
  std::size_t j = i + 1;
  if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
  const bool expDigit = CopyDigits(text, j, exponent);
  if (!expDigit) return true;
  canonical += exponent;
  i = j;
  return false;
}

// The whole text in the C locale's form, so that strtod reads it the same way
// whatever locale this process runs in; nullopt when it is no number.
std::optional<std::string> CanonicalNumber(std::string_view body, char decimalSeparator) {
  std::size_t i = 0;
  std::string canonical;
  if (!ReadMantissa(body, i, decimalSeparator, canonical)) return std::nullopt;
  if (ReadExponent(body, i, canonical) || i != body.size()) return std::nullopt;
  return canonical;
}

}  // namespace

std::optional<std::int16_t> RoundToInt16(double value) {
  auto whole = NearestWhole(value);
  if (!whole) return std::nullopt;
  return FitWhole<std::int16_t>(*whole);
}

std::optional<std::int32_t> RoundToInt32(double value) {
  auto whole = NearestWhole(value);
  if (!whole) return std::nullopt;
  return FitWhole<std::int32_t>(*whole);
}

std::optional<std::int16_t> FloorToInt16(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  return FitWhole<std::int16_t>(std::floor(value));
}

std::optional<float> ToSingle(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const float single = static_cast<float>(value);
  if (!std::isfinite(single)) return std::nullopt;
  return single;
}

std::optional<double> ParseNumber(std::string_view text, char decimalSeparator) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  const std::string_view body = text.substr(begin, end - begin);
  if (body.empty()) return std::nullopt;
  if (body.size() >= 2 && body[0] == '&') return WholeRadixNumber(body);
  const std::optional<std::string> canonical = CanonicalNumber(body, decimalSeparator);
  if (!canonical) return std::nullopt;
  const double value = std::strtod(canonical->c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

double ReadLeadingNumber(std::string_view text) {
  // Drop the blanks first: they are ignored wherever they occur.
  std::string packed;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') packed += c;
  }
  if (packed.size() >= 2 && packed[0] == '&') return LeadingRadixNumber(packed);
  std::size_t i = 0;
  std::string canonical;
  if (!ReadMantissa(packed, i, '.', canonical)) return 0.0;
  ReadExponent(packed, i, canonical);
  const double value = std::strtod(canonical.c_str(), nullptr);
  return std::isfinite(value) ? value : 0.0;
}

}  // namespace orbisette
