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
  std::string_view body = text.substr(begin, end - begin);
  if (body.empty()) return std::nullopt;

  if (body.size() >= 2 && body[0] == '&') {
    const char tag = body[1];
    int base = 0;
    if (tag == 'H' || tag == 'h') base = 16;
    if (tag == 'O' || tag == 'o') base = 8;
    if (base == 0) return std::nullopt;
    std::string_view digits = body.substr(2);
    for (char c : digits) {
      if (DigitValue(c, base) < 0) return std::nullopt;
    }
    return RadixValue(digits, base);
  }

  // Rebuild the number in the C locale's form so that strtod reads it the same
  // way whatever locale this process runs in.
  std::string canonical;
  std::size_t i = 0;
  if (body[i] == '+' || body[i] == '-') canonical += body[i++];
  bool anyDigit = false;
  while (i < body.size() && IsDigit(body[i])) {
    canonical += body[i++];
    anyDigit = true;
  }
  if (i < body.size() && body[i] == decimalSeparator) {
    canonical += '.';
    ++i;
    while (i < body.size() && IsDigit(body[i])) {
      canonical += body[i++];
      anyDigit = true;
    }
  }
  if (!anyDigit) return std::nullopt;
  if (i < body.size() && (body[i] == 'E' || body[i] == 'e' || body[i] == 'D' || body[i] == 'd')) {
    canonical += 'e';
    ++i;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) canonical += body[i++];
    bool expDigit = false;
    while (i < body.size() && IsDigit(body[i])) {
      canonical += body[i++];
      expDigit = true;
    }
    if (!expDigit) return std::nullopt;
  }
  if (i != body.size()) return std::nullopt;
  const double value = std::strtod(canonical.c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

double ReadLeadingNumber(std::string_view text) {
  // Drop the blanks first: they are ignored wherever they occur.
  std::string packed;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') packed += c;
  }
  if (packed.size() >= 2 && packed[0] == '&') {
    const char tag = packed[1];
    const int base = (tag == 'H' || tag == 'h') ? 16 : (tag == 'O' || tag == 'o') ? 8 : 0;
    if (base == 0) return 0.0;
    std::size_t n = 2;
    while (n < packed.size() && DigitValue(packed[n], base) >= 0) ++n;
    return RadixValue(std::string_view(packed).substr(2, n - 2), base).value_or(0.0);
  }
  std::string canonical;
  std::size_t i = 0;
  if (i < packed.size() && (packed[i] == '+' || packed[i] == '-')) canonical += packed[i++];
  bool anyDigit = false;
  while (i < packed.size() && IsDigit(packed[i])) {
    canonical += packed[i++];
    anyDigit = true;
  }
  if (i < packed.size() && packed[i] == '.') {
    canonical += packed[i++];
    while (i < packed.size() && IsDigit(packed[i])) {
      canonical += packed[i++];
      anyDigit = true;
    }
  }
  if (!anyDigit) return 0.0;
  if (i < packed.size() && (packed[i] == 'E' || packed[i] == 'e' || packed[i] == 'D' || packed[i] == 'd')) {
    std::string exponent = "e";
    std::size_t j = i + 1;
    if (j < packed.size() && (packed[j] == '+' || packed[j] == '-')) exponent += packed[j++];
    bool expDigit = false;
    while (j < packed.size() && IsDigit(packed[j])) {
      exponent += packed[j++];
      expDigit = true;
    }
    if (expDigit) canonical += exponent;
  }
  const double value = std::strtod(canonical.c_str(), nullptr);
  return std::isfinite(value) ? value : 0.0;
}

}  // namespace orbisette
