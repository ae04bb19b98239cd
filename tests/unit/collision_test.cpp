#include "saver/collision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <numbers>
#include <vector>

namespace orbisette {
namespace {

const float Pi = MakePi();
constexpr float Speed = 20.0f;
constexpr std::int32_t Min32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t Max32 = std::numeric_limits<std::int32_t>::max();
// cos(Pi/2) and cos(3Pi/2) with the single-precision Pi: not quite zero.
constexpr double CosHalfPi = -4.371139e-8, CosThreeHalfPi = 1.3113417e-7;
constexpr double Degrees = 180 / std::numbers::pi;

// Balls parked 2000 twips apart, out of each other's reach.
BallTable Apart() {
  BallTable t{};
  for (std::size_t k = 0; k < BallCount; ++k) t[k] = {static_cast<float>(k) * 2000, 20000, 1, 1};
  return t;
}

TEST(Collision, BearingAndDistanceOverAllDirections) {
  struct Case {
    std::int32_t X1, Y1, X2, Y2;
    double Bearing;
    std::int32_t Distance;
  };
  for (const Case& c :
       {Case{0, 0, 1000, 0, 90, 1000}, Case{0, 0, 0, 1000, 180, 1000}, Case{0, 0, 0, -1000, 0, 1000},
        Case{0, 0, -1000, 0, 270, 1000}, Case{5, 5, 5, 5, 180, 0},
        Case{0, 0, 300, 400, 180 - std::atan(0.75) * Degrees, 500}, Case{0, 0, 100, -100, 45, 141},
        Case{0, 0, -100, -100, 315, 141}, Case{Min32, 0, Max32, 0, 90, 0},  // 2^32 apart: no 32-bit distance
        // 4194305.49999985 kept as a single is .5, which goes to even
        Case{0, 0, 4194305, 2048, 90 + std::atan(2048 / 4194305.0) * Degrees, 4194306}}) {
    EXPECT_NEAR(BearingBetween(c.X1, c.Y1, c.X2, c.Y2, Pi), c.Bearing, 1e-4) << c.X2 << "," << c.Y2;
    EXPECT_EQ(DistanceBetween(c.X1, c.Y1, c.X2, c.Y2), c.Distance) << c.X2 << "," << c.Y2;
  }
  EXPECT_EQ(BearingBetween(0, 0, 0, -1000, Pi), 0.0);  // 180 - Pi * 180 / Pi is exact
}

TEST(Collision, ContactIsAtMostNineTenthsOfABallBetweenRoundedCentres) {
  struct Case {
    float X, Y;
    bool Touches;
  };
  for (const Case& c : {Case{1620, 0, true}, Case{1621, 0, false}, Case{972, 1296, true}, Case{1000, 1275, true},
                        Case{1000, 1276, false}, Case{1620.5f, 0, true},  // centre 2520.5 rounds to 2520
                        Case{1621.5f, 0, false}}) {                       // centre 2521.5 rounds to 2522
    BallTable t = Apart();
    t[0] = {0, 0, 7, 7};
    t[1] = {c.X, c.Y, 7, 7};
    CollideBalls(t, 0, 1, Speed, Pi);
    EXPECT_EQ(t[0].SpeedX != 7, c.Touches) << c.X << "," << c.Y;
    EXPECT_EQ(t[0].PosX, 0.0f);
  }
}

TEST(Collision, EachBallIsSentAwayFromTheOtherAtFullSpeed) {
  struct Case {
    const char* Name;
    BallState I, J;
    double Ix, Iy, Jx, Jy;
  };
  const double up = CosHalfPi * Speed, down = CosThreeHalfPi * Speed, across = -CosHalfPi * 2 * Speed;
  for (const Case& c : {Case{"j to the right", {0, 0, 10, 10}, {1000, 0, 0, 0}, -Speed, up, Speed, down},
                        Case{"j below", {0, 0, 5, 5}, {0, 1000, 0, 0}, across, -Speed, 0, Speed},
                        Case{"same spot", {300, 300, 5, 5}, {300.4f, 300, 0, 0}, across, -Speed, across, -Speed},
                        Case{"4K wide", {50000, 1000, 5, 5}, {51000, 1000, 0, 0}, -Speed, up, Speed, down},
                        Case{"4K far apart", {50000, 1000, 5, 5}, {40000, 1000, 3, 3}, 5, 5, 3, 3},
                        // No 32-bit centre or bearing point: the bounce runs with bearing 0.
                        Case{"beyond 32 bits", {3e9f, 0, 5, 5}, {0, 0, 3, 3}, 0, Speed, 0, Speed}}) {
    BallTable t = Apart();
    t[2] = c.I;
    t[7] = c.J;
    CollideBalls(t, 2, 7, Speed, Pi);
    EXPECT_NEAR(t[2].SpeedX, c.Ix, 1e-9) << c.Name;
    EXPECT_NEAR(t[2].SpeedY, c.Iy, 1e-9) << c.Name;
    EXPECT_NEAR(t[7].SpeedX, c.Jx, 1e-9) << c.Name;
    EXPECT_NEAR(t[7].SpeedY, c.Jy, 1e-9) << c.Name;
  }
}

TEST(Collision, OnlyReboundOneBouncesAndTheLastPairWins) {
  // Ball 3 between 1 and 5: (1,3) pushes it right, (3,5) left. Ball 6 touches 7
  // (right) and 8 (below) and leaves upwards, as (6,8) comes last.
  for (std::int16_t rebound : std::initializer_list<std::int16_t>{0, 2, -1, 1}) {
    BallTable t = Apart();
    t[1] = t[3] = t[5] = t[6] = t[7] = t[8] = {};
    t[3].PosX = 1000;
    t[5].PosX = 2000;
    t[6].PosY = t[7].PosY = -5000;
    t[7].PosX = 1000;
    t[8].PosY = -4000;
    CollideAll(t, rebound, Speed, Pi);
    const float on = rebound == 1 ? Speed : 0.0f;
    EXPECT_EQ(t[1].SpeedX, -on) << rebound;
    EXPECT_EQ(t[3].SpeedX, -on) << rebound;
    EXPECT_EQ(t[5].SpeedX, on) << rebound;
    EXPECT_EQ(t[6].SpeedY, -on) << rebound;
  }
}

TEST(Collision, EveryPairIsTestedTheFirstAndTheLastToo) {
  struct Case {
    std::size_t I, J;
  };
  for (const Case& c : {Case{0, 1}, Case{0, 9}, Case{8, 9}, Case{1, 8}}) {
    BallTable t = Apart();
    t[c.I] = {30000, 30000, 1, 1};
    t[c.J] = {31000, 30000, 1, 1};  // j to the right: i leaves left, j right
    CollideAll(t, ReboundOn, Speed, Pi);
    EXPECT_EQ(t[c.I].SpeedX, -Speed) << c.I << "," << c.J;
    EXPECT_EQ(t[c.J].SpeedX, Speed) << c.I << "," << c.J;
  }
}

TEST(Collision, OverlappingBallsGetFreshFullSpeedEveryTick) {
  BallTable t = Apart();
  t[0] = {5000, 5000, Speed / 2, 0};
  t[1] = {5600, 5300, -Speed / 2, 0};
  for (int tick = 0; tick < 5; ++tick) {
    AnimationStep(t, ScreenFromPixels(1024, 768, {}), ReboundOn, Speed, Pi);
    for (const BallState& b : {t[0], t[1]}) EXPECT_NEAR(std::hypot(b.SpeedX, b.SpeedY), Speed, 1e-4) << tick;
  }
}

// A tick moves every ball, then places the windows where the balls now are,
// then settles the contacts. Ball 9, 1621 twips from ball 8, closes in: they
// touch only after this tick's move, and bounce on this tick.
TEST(Collision, ATickMovesEveryBallThenPlacesTheWindowsThenBounces) {
  BallTable t{};
  for (std::size_t k = 0; k < BallCount; ++k)
    t[k] = {static_cast<float>(k % 5) * 2500, k < 5 ? 1000.0f : 5000.0f, 3, 2};
  t[9] = {9121, 5000, -1, 2};
  const BallTable before = t;
  std::vector<BallTable> placed;
  const auto place = [&](const BallTable& balls) { placed.push_back(balls); };
  AnimationStep(t, ScreenFromPixels(1024, 768, {}), ReboundOn, Speed, Pi, place);
  ASSERT_EQ(placed.size(), 1u);
  for (std::size_t k = 0; k < BallCount; ++k) EXPECT_EQ(placed[0][k].PosY, before[k].PosY + 2) << k;
  EXPECT_EQ(placed[0][9].SpeedX, -1.0f) << "placed before the bounce";
  EXPECT_EQ(t[9].SpeedX, Speed);
}

}  // namespace
}  // namespace orbisette
