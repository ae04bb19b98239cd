// Fuzzes the text-to-number rules the settings and the preview handle use, with
// a point or a comma as the locale's decimal separator, and the conversions that
// follow them. Properties: nothing crashes and no conversion overflows (UBSan);
// a number read is finite; blanks around a number do not change it; rounding
// lands within a half of the number read; the dialog's number texts read back.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "platform/numeric.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const char separator = input.PickValueInArray({'.', ','});
  const std::int16_t whole = input.ConsumeIntegral<std::int16_t>();
  const std::string text = input.ConsumeRemainingBytesAsString();

  const std::optional<double> value = orbisette::ParseNumber(text, separator);
  if (value) {
    FUZZ_CHECK(std::isfinite(*value));
    FUZZ_CHECK(orbisette::ParseNumber(" \t" + text + "\t ", separator) == value);
    if (const auto rounded = orbisette::RoundToInt16(*value)) FUZZ_CHECK(std::fabs(*rounded - *value) <= 0.5);
    if (const auto rounded = orbisette::RoundToInt32(*value)) FUZZ_CHECK(std::fabs(*rounded - *value) <= 0.5);
    if (const auto floored = orbisette::FloorToInt16(*value)) FUZZ_CHECK(*floored <= *value && *value < *floored + 1);
    if (const auto single = orbisette::ToSingle(*value)) FUZZ_CHECK(std::isfinite(*single));
  }
  FUZZ_CHECK(std::isfinite(orbisette::ReadLeadingNumber(text)));
  FUZZ_CHECK(orbisette::ParseNumber(orbisette::SettingsNumberText(whole), separator) == static_cast<double>(whole));
  return 0;
}
