#include "platform/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orbisette {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

struct RoundCase {
  double In;
  std::optional<std::int32_t> Int16;  // expected RoundToInt16, widened
  std::optional<std::int32_t> Int32;
};

TEST(Numeric, RoundsHalvesToEvenAndRefusesOutOfRange) {
  const RoundCase cases[] = {
      {0.5, 0, 0},
      {1.5, 2, 2},
      {2.5, 2, 2},
      {-0.5, 0, 0},
      {-1.5, -2, -2},
      {-2.5, -2, -2},
      {2.4999, 2, 2},
      {2.5001, 3, 3},
      {32767.0, 32767, 32767},
      {32767.4, 32767, 32767},
      {32767.5, std::nullopt, 32768},
      {32768.0, std::nullopt, 32768},
      {-32768.0, -32768, -32768},
      {-32768.5, -32768, -32768},
      {-32768.6, std::nullopt, -32769},
      {-32769.0, std::nullopt, -32769},
      {2147483647.0, std::nullopt, 2147483647},
      {2147483647.5, std::nullopt, std::nullopt},
      {-2147483648.5, std::nullopt, std::numeric_limits<std::int32_t>::min()},
      {-2147483649.0, std::nullopt, std::nullopt},
      {NaN, std::nullopt, std::nullopt},
      {INFINITY, std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.In);
    auto r16 = RoundToInt16(c.In);
    ASSERT_EQ(r16.has_value(), c.Int16.has_value());
    if (r16) {
      EXPECT_EQ(*r16, *c.Int16);
    }
    EXPECT_EQ(RoundToInt32(c.In), c.Int32);
  }
}

TEST(Numeric, FloorsIntoSixteenBits) {
  const std::pair<double, std::optional<std::int16_t>> cases[] = {
      {1.7, 1},
      {-0.5, -1},
      {-1.0, -1},
      {-1.0001, -2},
      {0.0, 0},
      {32767.9, 32767},
      {32768.0, std::nullopt},
      {-32768.0, -32768},
      {-32768.1, std::nullopt},
      {NaN, std::nullopt},
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(in);
    EXPECT_EQ(FloorToInt16(in), out);
  }
}

TEST(Numeric, SingleOverflowIsAFailureNotInfinity) {
  EXPECT_EQ(ToSingle(12.5), 12.5f);
  EXPECT_EQ(ToSingle(3.4e38), 3.4e38f);
  EXPECT_EQ(ToSingle(1e39), std::nullopt);
  EXPECT_EQ(ToSingle(-1e39), std::nullopt);
}

TEST(Numeric, ParsesSettingsNumbers) {
  const struct {
    const char* Text;
    char Sep;
    std::optional<double> Value;
  } cases[] = {
      {"2", '.', 2.0},
      {" 2", '.', 2.0},
      {"  12.5  ", '.', 12.5},
      {"\t-3\t", '.', -3.0},
      {"+4", '.', 4.0},
      {"12,5", ',', 12.5},
      {"12,5", '.', std::nullopt},
      {"12.5", ',', std::nullopt},
      {".5", '.', 0.5},
      {"5.", '.', 5.0},
      {"1e3", '.', 1000.0},
      {"1D2", '.', 100.0},
      {"&H10", '.', 16.0},
      {"&hFFFF", '.', -1.0},
      {"&H10000", '.', 65536.0},
      {"&O17", '.', 15.0},
      {"", '.', std::nullopt},
      {"   ", '.', std::nullopt},
      {"abc", '.', std::nullopt},
      {"12abc", '.', std::nullopt},
      {"1 2", '.', std::nullopt},
      {"-", '.', std::nullopt},
      {".", '.', std::nullopt},
      {"1e", '.', std::nullopt},
      {"&H", '.', std::nullopt},
      {"&HG", '.', std::nullopt},
      {"1e999", '.', std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(ParseNumber(c.Text, c.Sep), c.Value);
  }
}

TEST(Numeric, ReadsLeadingNumbersLeniently) {
  const std::pair<const char*, double> cases[] = {
      {"1234", 1234.0}, {" 1234", 1234.0}, {"1 2 3 4", 1234.0}, {"12\t3\n4x9", 1234.0},
      {"234", 234.0},   {":1234", 0.0},    {"", 0.0},           {"abc", 0.0},
      {"&H1F", 31.0},   {"&h 1f", 31.0},   {"&HFFFF", -1.0},    {"&H1F2G", 498.0},
      {"-12", -12.0},   {"1.5e1x", 15.0},  {"1e", 1.0},         {"&Q1", 0.0},
  };
  for (const auto& [text, value] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ReadLeadingNumber(text), value);
  }
}

}  // namespace
}  // namespace orbisette
