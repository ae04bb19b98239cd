#include "saver/ball_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace orbisette {
namespace {

constexpr double W = 15360, H = 11520;  // 1024 x 768 pixels at 15 twips each
const ScreenGeometry Screen1024 = ScreenFromPixels(1024, 768, {});
// 1280 x 720 at 120 DPI across and 96 DPI down: every axis differs from the other.
const ScreenGeometry Uneven = ScreenFromPixels(1280, 720, TwipsPerPixelForDpi(120, 96));
constexpr float JustBelowOne = 0.99999994f;

class Scripted final : public UniformSource {
 public:
  explicit Scripted(std::vector<float> values) : Values(std::move(values)) {}
  float Next() override { return Values.at(Drawn++ % Values.size()); }
  std::size_t Drawn = 0;

 private:
  std::vector<float> Values;
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
  struct Case {
    float R, PosX, PosY, Speed;
  };
  for (const Case& c :
       {Case{0.0f, 1800, 1800, 40}, Case{0.2499f, 4739, 3779, 40}, Case{0.25f, 4740, 3780, 20},
        Case{0.5f, 7680, 5760, -40}, Case{0.75f, 10620, 7740, -20}, Case{JustBelowOne, 13560, 9720, -20}}) {
    BallTable t{};
    Scripted s({c.R});
    PlaceBalls(t, Screen1024, 40.0f, s);
    EXPECT_EQ(s.Drawn, 40u);
    for (const BallState& b : {t[0], t[9]}) {
      EXPECT_EQ(b.PosX, c.PosX) << c.R;
      EXPECT_EQ(b.PosY, c.PosY) << c.R;
      EXPECT_EQ(b.SpeedX, c.Speed) << c.R;
      EXPECT_EQ(b.SpeedY, c.Speed) << c.R;
    }
  }
  BallTable t{};
  Scripted order({0.0f, JustBelowOne, 0.5f, 0.25f});
  PlaceBalls(t, Screen1024, 40.0f, order);
  EXPECT_EQ(t[3].PosX, 1800.0f);
  EXPECT_EQ(t[3].PosY, 9720.0f);
  EXPECT_EQ(t[3].SpeedX, -40.0f);
  EXPECT_EQ(t[3].SpeedY, 20.0f);
  Scripted narrow({0.5f});  // the spans are negative: floor(-599 * 0.5 + 1800), floor(-399 * 0.5 + 1800)
  PlaceBalls(t, ScreenGeometry{3000, 3200, {}}, 0.0f, narrow);
  EXPECT_EQ(t[0].PosX, 1500.0f);
  EXPECT_EQ(t[0].PosY, 1600.0f);
  EXPECT_EQ(t[0].SpeedX, 0.0f);  // MoveSpeed 0: the balls stay where they were placed
  EXPECT_EQ(t[0].SpeedY, 0.0f);
}

TEST(BallTable, TurnsAtStrictBoundsAndMovesWithoutClamping) {
  // 19200 x 10800 twips: the right bound is 17400, the bottom bound 9000.
  const ScreenGeometry wide{19200, 10800, {}};
  struct Case {
    const char* Name;
    ScreenGeometry Screen;
    BallState Before, After;
  };
  const float pastRight = std::nextafter(17400.0f, 1e9f);
  for (const Case& c : {Case{"inside", wide, {5000, 4000, 10, -6}, {5010, 3994, 10, -6}},
                        Case{"on left slack", wide, {-280, 4000, -10, 6}, {-290, 4006, -10, 6}},
                        Case{"past left slack", wide, {-280.5f, 4000, -10, 6}, {-270.5f, 4006, 10, 6}},
                        Case{"past top slack", wide, {5000, -280.5f, 4, -6}, {5004, -274.5f, 4, 6}},
                        Case{"on right bound", wide, {17400, 4000, 10, 6}, {17410, 4006, 10, 6}},
                        Case{"past right bound", wide, {pastRight, 4000, 10, 6}, {pastRight - 10, 4006, -10, 6}},
                        Case{"x beyond the bottom bound", wide, {12000, 4000, 10, 6}, {12010, 4006, 10, 6}},
                        Case{"past bottom bound", wide, {5000, 9001, 4, 6}, {5004, 8995, 4, -6}},
                        Case{"on bottom bound", wide, {5000, 9000, 4, 6}, {5004, 9006, 4, 6}},
                        Case{"far past right trembles", wide, {17460, 4000, -10, 6}, {17470, 4006, 10, 6}},
                        Case{"narrow screen cancels", {1000, 30000, {}}, {-300, 4000, 5, 6}, {-295, 4006, 5, 6}}}) {
    BallTable t{};
    t[4] = c.Before;
    TurnAndMove(t, c.Screen);
    EXPECT_EQ(t[4].PosX, c.After.PosX) << c.Name;
    EXPECT_EQ(t[4].PosY, c.After.PosY) << c.Name;
    EXPECT_EQ(t[4].SpeedX, c.After.SpeedX) << c.Name;
    EXPECT_EQ(t[4].SpeedY, c.After.SpeedY) << c.Name;
  }
}

TEST(BallTable, WindowPointsAndCursorParkPointRoundHalvesToEvenPerAxis) {
  struct Case {
    BallState Ball;
    TwipsPerPixel PerPixel;
    std::optional<std::int32_t> X, Y;
  };
  for (const Case& c : {Case{{1807.5f, 1822.5f, 0, 0}, {15, 15}, 120, 122},
                        Case{{1800, 1800, 0, 0}, {12, 15}, 150, 120},  // 120 DPI across, 96 down
                        Case{{1e30f, 30, 0, 0}, {15, 15}, std::nullopt, std::nullopt}}) {
    const auto at = WindowPointOf(c.Ball, c.PerPixel);
    ASSERT_EQ(at.has_value(), c.X.has_value());
    if (at) {
      EXPECT_EQ(at->X, *c.X);
      EXPECT_EQ(at->Y, *c.Y);
    }
  }
  EXPECT_EQ(CursorParkPointFor(Screen1024).X, 1024);
  EXPECT_EQ(CursorParkPointFor(Screen1024).Y, 768);
  EXPECT_EQ(CursorParkPointFor(Uneven).X, 1280);
  EXPECT_EQ(CursorParkPointFor(Uneven).Y, 720);
  EXPECT_EQ(CursorParkPointFor({2049, 2051, {2, 2}}).X, 1024);
  EXPECT_EQ(CursorParkPointFor({2049, 2051, {2, 2}}).Y, 1026);
  EXPECT_EQ(CursorParkPointFor({W, H, {0, 15}}).X, std::nullopt);
  EXPECT_EQ(CursorParkPointFor({W, H, {0, 15}}).Y, 768);
}

TEST(BallTable, RunEndsWhenCursorLeavesCornerThenOnEscape) {
  struct Case {
    std::optional<PixelPoint> Cursor;
    std::int16_t Escape;
    RunEndReason Reason;
  };
  const auto at = [](std::int32_t x, std::int32_t y) { return std::optional<PixelPoint>(PixelPoint{x, y}); };
  const RunEndReason none = RunEndReason::None, cursor = RunEndReason::Cursor, escape = RunEndReason::Escape;
  int row = 0;
  // 1920 x 1080 pixels at 120 DPI across and 96 DPI down.
  const ScreenGeometry screen = ScreenFromPixels(1920, 1080, TwipsPerPixelForDpi(120, 96));
  for (const Case& c :
       {Case{at(1919, 1079), 0, none}, Case{at(1890, 1050), 0, none}, Case{at(1889, 1079), 0, cursor},
        Case{at(1919, 1049), 0, cursor}, Case{std::nullopt, 0, cursor}, Case{at(1919, 1079), -32767, escape},
        Case{at(1919, 1079), 1, escape}, Case{at(0, 0), 1, cursor}}) {
    EXPECT_EQ(EndOfRunTest(c.Cursor, c.Escape, screen), c.Reason) << "row " << row++;
  }
}

TEST(BallTable, TheRunsEndHandsBackTheStoredCounterAsTheShowFlag) {
  struct Case {
    bool Hid;
    std::int32_t Stored;
    std::optional<std::int32_t> Flag;
  };
  for (const Case& c : {Case{true, -1, -1}, Case{true, -2, -2}, Case{true, 0, 0}, Case{false, -1, std::nullopt}}) {
    EXPECT_EQ(CursorFlagAtRunEnd(c.Hid, c.Stored), c.Flag) << c.Hid << " " << c.Stored;
  }
}

}  // namespace
}  // namespace orbisette
