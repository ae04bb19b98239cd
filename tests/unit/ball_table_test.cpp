#include "saver/ball_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace orbisette {
namespace {

constexpr double W = 15360, H = 11520;  // 1024 x 768 pixels at 15 twips each
constexpr float JustBelowOne = 0.99999994f;

class Scripted final : public UniformSource {
 public:
  explicit Scripted(std::vector<float> values) : values_(std::move(values)) {}
  float Next() override { return values_.at(drawn++ % values_.size()); }
  std::size_t drawn = 0;

 private:
  std::vector<float> values_;
};

TEST(BallTable, PiAndRandomStream) {
  EXPECT_EQ(MakePi(), 3.14159274f);
  TimeSeededRandom a(43200.5f), b(43200.5f), c(43200.51f);
  EXPECT_EQ(a.Next(), b.Next());
  EXPECT_NE(b.Next(), c.Next());
  // Every 24-bit state comes round once before the first repeats; none reaches 1.
  const float first = a.Next();
  float top = first;
  std::uint32_t period = 1;
  for (float v = a.Next(); v != first; v = a.Next(), ++period) top = std::max(top, v);
  EXPECT_EQ(period, 1u << 24);
  EXPECT_EQ(top, JustBelowOne);
}

TEST(BallTable, PlacementDrawsLeftTopAndBothSpeedsPerBall) {
  struct Case { float r, pos, speed; };
  for (const Case& c : {Case{0.0f, 1800, 40}, Case{0.2499f, 4739, 40}, Case{0.25f, 4740, 20},
                        Case{0.5f, 7680, -40}, Case{0.75f, 10620, -20}, Case{JustBelowOne, 13560, -20}}) {
    BallTable t{};
    Scripted s({c.r});
    PlaceBalls(t, W, H, 40.0f, s);
    EXPECT_EQ(s.drawn, 40u);
    EXPECT_EQ(t[9].PosX, c.pos) << c.r;
    EXPECT_EQ(t[9].SpeedX, c.speed) << c.r;
    EXPECT_EQ(t[9].SpeedY, c.speed) << c.r;
  }
  BallTable t{};
  Scripted order({0.0f, JustBelowOne, 0.5f, 0.25f});
  PlaceBalls(t, W, H, 40.0f, order);
  EXPECT_EQ(t[3].PosY, 9720.0f);
  EXPECT_EQ(t[3].SpeedX, -40.0f);
  EXPECT_EQ(t[3].SpeedY, 20.0f);
  Scripted narrow({0.5f});  // the span is negative: floor(-599 * 0.5 + 1800)
  PlaceBalls(t, 3000, 3000, 0.0f, narrow);
  EXPECT_EQ(t[0].PosX, 1500.0f);
}

TEST(BallTable, TurnsAtStrictBoundsAndMovesWithoutClamping) {
  struct Case { const char* name; double w; float pos, speed, speedAfter, posAfter; };
  const float right = static_cast<float>(W - 1800);
  const float pastRight = std::nextafter(right, 1e9f);
  for (const Case& c : {Case{"on left slack", W, -280, -10, -10, -290},
                        Case{"past left slack", W, -280.5f, -10, 10, -270.5f},
                        Case{"on right bound", W, right, 10, 10, right + 10},
                        Case{"past right bound", W, pastRight, 10, -10, pastRight - 10},
                        Case{"far past right trembles", W, right + 50, -10, 10, right + 60},
                        Case{"narrow screen cancels", 1000, -300, 5, 5, -295}}) {
    BallTable t{};
    t[4] = {c.pos, c.pos, c.speed, c.speed};
    TurnAndMove(t, c.w, c.w);
    EXPECT_EQ(t[4].SpeedX, c.speedAfter) << c.name;
    EXPECT_EQ(t[4].SpeedY, c.speedAfter) << c.name;
    EXPECT_EQ(t[4].PosX, c.posAfter) << c.name;
  }
}

TEST(BallTable, PixelsAndCursorParkPointRoundHalvesToEven) {
  EXPECT_EQ(TwipsToPixels(1807.5f, 15), 120);
  EXPECT_EQ(TwipsToPixels(1822.5f, 15), 122);
  EXPECT_EQ(TwipsToPixels(1e30f, 15), std::nullopt);
  EXPECT_EQ(CursorParkPointFor(W, H, 15, 15).X, 1024);
  EXPECT_EQ(CursorParkPointFor(2049, 2051, 2, 2).X, 1024);
  EXPECT_EQ(CursorParkPointFor(2049, 2051, 2, 2).Y, 1026);
  EXPECT_EQ(CursorParkPointFor(W, H, 0, 15).X, std::nullopt);
  EXPECT_EQ(CursorParkPointFor(W, H, 0, 15).Y, 768);
}

TEST(BallTable, RunEndsWhenCursorLeavesCornerThenOnEscape) {
  struct Case { std::optional<CursorPoint> cursor; std::int16_t escape; RunEndReason reason; };
  const auto at = [](std::int32_t x, std::int32_t y) { return std::optional<CursorPoint>(CursorPoint{x, y}); };
  const RunEndReason none = RunEndReason::None, cursor = RunEndReason::Cursor, escape = RunEndReason::Escape;
  int row = 0;
  for (const Case& c : {Case{at(1919, 1079), 0, none}, Case{at(1890, 1050), 0, none},
                        Case{at(1889, 1079), 0, cursor}, Case{at(1919, 1049), 0, cursor},
                        Case{std::nullopt, 0, cursor}, Case{at(1919, 1079), -32767, escape},
                        Case{at(1919, 1079), 1, escape}, Case{at(0, 0), 1, cursor}}) {
    EXPECT_EQ(EndOfRunTest(c.cursor, c.escape, 28800, 16200, 15, 15), c.reason) << "row " << row++;
  }
}

}  // namespace
}  // namespace orbisette
