#include "saver/ball_table.h"

#include <bit>
#include <cmath>

#include "platform/numeric.h"
#include "saver/collision.h"

namespace orbisette {
namespace {

constexpr std::uint32_t RandomMask = 0xFFFFFFu;        // 24 bits of state
constexpr std::uint32_t RandomMultiplier = 0xFD43FDu;  // a - 1 divisible by 4, c odd: full period
constexpr std::uint32_t RandomIncrement = 0xC39EC3u;
constexpr float RandomScale = 1.0f / 16777216.0f;  // 2^-24, exact

// One start position: a whole number of twips from BallSize up to
// screenTwips - BallSize (a narrow screen makes the span negative and the
// position may fall below BallSize).
std::optional<float> StartPosition(double screenTwips, float r) {
  const double size = static_cast<double>(BallSize);
  return ToSingle(std::floor((screenTwips - size - size + 1.0) * static_cast<double>(r) + size));
}

float StartSpeed(float moveSpeed, float r) {
  const double pick = std::floor(static_cast<double>(r) * 4.0);
  if (pick == 0.0) return moveSpeed;
  if (pick == 1.0) return moveSpeed * 0.5f;
  if (pick == 2.0) return -moveSpeed;
  return -moveSpeed * 0.5f;
}

// A bound the left/top of a ball may reach without turning: the screen size
// less one ball. Empty when it does not fit a single, and the test is skipped.
std::optional<float> FarBound(double screenTwips) { return ToSingle(screenTwips - static_cast<double>(BallSize)); }

// The sum of two singles as a single; empty when it overflows.
std::optional<float> Advance(float position, float speed) {
  return ToSingle(static_cast<double>(position) + static_cast<double>(speed));
}

}  // namespace

float MakePi() { return static_cast<float>(std::atan(1.0) * 4.0); }

TimeSeededRandom::TimeSeededRandom(float secondsSinceMidnight) {
  // Fold all 32 bits of the seed into the 24 bits of state, so that seeds a
  // hundredth of a second apart start different streams.
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(secondsSinceMidnight);
  State = (bits ^ (bits >> 12) ^ (bits >> 24)) & RandomMask;
}

float TimeSeededRandom::Next() {
  State = (State * RandomMultiplier + RandomIncrement) & RandomMask;
  // State < 2^24 is exact in a single, and so is the scaled value, which stays
  // below 1.
  return static_cast<float>(State) * RandomScale;
}

void PlaceBalls(BallTable& balls, const ScreenGeometry& screen, float moveSpeed, UniformSource& random) {
  for (BallState& ball : balls) {
    if (auto x = StartPosition(screen.WidthTwips, random.Next())) ball.PosX = *x;
    if (auto y = StartPosition(screen.HeightTwips, random.Next())) ball.PosY = *y;
    ball.SpeedX = StartSpeed(moveSpeed, random.Next());
    ball.SpeedY = StartSpeed(moveSpeed, random.Next());
  }
}

void TurnAndMove(BallTable& balls, const ScreenGeometry& screen) {
  const std::optional<float> rightBound = FarBound(screen.WidthTwips);
  const std::optional<float> bottomBound = FarBound(screen.HeightTwips);
  for (BallState& ball : balls) {
    // Each test sees the speed the one before left; on a screen narrower than
    // the slack plus a ball both horizontal tests can fire and cancel.
    if (ball.PosX < EdgeSlack) ball.SpeedX = -ball.SpeedX;
    if (ball.PosY < EdgeSlack) ball.SpeedY = -ball.SpeedY;
    if (rightBound && ball.PosX > *rightBound) ball.SpeedX = -ball.SpeedX;
    if (bottomBound && ball.PosY > *bottomBound) ball.SpeedY = -ball.SpeedY;
    if (auto x = Advance(ball.PosX, ball.SpeedX)) ball.PosX = *x;
    if (auto y = Advance(ball.PosY, ball.SpeedY)) ball.PosY = *y;
  }
}

void CollideAll(BallTable& balls, std::int16_t rebound, float moveSpeed, float pi) {
  if (rebound != ReboundOn) return;
  // A ball touching several others keeps the speed of the last pair it is in.
  for (std::size_t i = 0; i + 1 < BallCount; ++i) {
    for (std::size_t j = i + 1; j < BallCount; ++j) CollideBalls(balls, i, j, moveSpeed, pi);
  }
}

void AnimationStep(BallTable& balls, const ScreenGeometry& screen, std::int16_t rebound, float moveSpeed, float pi,
                   const PlaceWindows& placeWindows) {
  TurnAndMove(balls, screen);
  if (placeWindows) placeWindows(balls);
  CollideAll(balls, rebound, moveSpeed, pi);
}

std::optional<PixelPoint> WindowPointOf(const BallState& ball, TwipsPerPixel perPixel) {
  const auto x = TwipsToPixels(static_cast<double>(ball.PosX), perPixel.X);
  const auto y = TwipsToPixels(static_cast<double>(ball.PosY), perPixel.Y);
  if (!x || !y) return std::nullopt;
  return PixelPoint{*x, *y};
}

CursorParkPoint CursorParkPointFor(const ScreenGeometry& screen) {
  return CursorParkPoint{TwipsToPixels(screen.WidthTwips, screen.PerPixel.X),
                         TwipsToPixels(screen.HeightTwips, screen.PerPixel.Y)};
}

RunEndReason EndOfRunTest(std::optional<PixelPoint> cursor, std::int16_t escapeKeyState, const ScreenGeometry& screen) {
  const PixelPoint at = cursor.value_or(PixelPoint{0, 0});
  const double limitX = screen.WidthTwips / screen.PerPixel.X - CornerMargin;
  const double limitY = screen.HeightTwips / screen.PerPixel.Y - CornerMargin;
  if (limitX > static_cast<double>(at.X) || limitY > static_cast<double>(at.Y)) {
    return RunEndReason::Cursor;
  }
  if (escapeKeyState != 0) return RunEndReason::Escape;
  return RunEndReason::None;
}

std::optional<std::int32_t> CursorFlagAtRunEnd(bool startupHidCursor, std::int32_t cursorShowCount) {
  if (!startupHidCursor) return std::nullopt;
  return cursorShowCount;
}

}  // namespace orbisette
