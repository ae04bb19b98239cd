#include "saver/collision.h"

#include <cmath>
#include <cstdlib>
#include <optional>

#include "platform/numeric.h"

namespace orbisette {
namespace {

// A point at a fixed offset into the ball's window, in whole twips: the sum is
// taken in double from the single position, then rounded halves to even. Empty
// when either coordinate does not fit 32 bits.
std::optional<TwipsPoint> PointInBall(const BallState& ball, double offset) {
  const auto x = RoundToInt32(static_cast<double>(ball.PosX) + offset);
  const auto y = RoundToInt32(static_cast<double>(ball.PosY) + offset);
  if (!x || !y) return std::nullopt;
  return TwipsPoint{*x, *y};
}

// Speed components that carry a ball away along the bearing towards the other
// ball. A component that does not convert leaves the old speed.
void SendAway(BallState& ball, double bearing, float moveSpeed, float pi) {
  const double radians = DegToRad(bearing, pi);
  const double speed = static_cast<double>(moveSpeed);
  if (auto x = ToSingle(std::sin(radians) * -1.0 * speed)) ball.SpeedX = *x;
  if (auto y = ToSingle(-std::cos(radians) * -1.0 * speed)) ball.SpeedY = *y;
}

}  // namespace

double DegToRad(double degrees, float pi) { return degrees / 180.0 * static_cast<double>(pi); }

double RadToDeg(double radians, float pi) { return radians * 180.0 / static_cast<double>(pi); }

std::int32_t DistanceBetween(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  // Differences in 64 bits: two 32-bit coordinates can be 2^32 apart.
  const float dx = static_cast<float>(std::llabs(static_cast<long long>(x2) - x1));
  const float dy = static_cast<float>(std::llabs(static_cast<long long>(y1) - y2));
  const double dxd = static_cast<double>(dx);
  const double dyd = static_cast<double>(dy);
  const float length = static_cast<float>(std::sqrt(dyd * dyd + dxd * dxd));
  return RoundToInt32(static_cast<double>(length)).value_or(0);
}

double BearingBetween(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, float pi) {
  const double p = static_cast<double>(pi);
  const long long dx = static_cast<long long>(x2) - x1;
  const long long dy = static_cast<long long>(y2) - y1;
  double turn = 0.0;
  if (dy == 0) {
    if (dx < 0) turn = p * 3.0 / 2.0;
    if (dx > 0) turn = p / 2.0;
  } else if (dy > 0) {
    turn = std::atan(static_cast<double>(dx) / static_cast<double>(dy));
  } else {
    turn = std::atan(static_cast<double>(dx) / static_cast<double>(dy)) + p;
  }
  double degrees = 180.0 - RadToDeg(turn, pi);
  if (degrees < 0.0) degrees += 360.0;
  return degrees;
}

void CollideBalls(BallTable& balls, std::size_t i, std::size_t j, float moveSpeed, float pi) {
  if (i >= BallCount || j >= BallCount) return;
  BallState& first = balls[i];
  BallState& second = balls[j];

  // Contact is judged between the centres. When a centre does not convert the
  // test cannot be made and the bounce goes ahead.
  const auto centreI = PointInBall(first, CentreOffset);
  const auto centreJ = PointInBall(second, CentreOffset);
  if (centreI && centreJ) {
    const std::int32_t d = DistanceBetween(centreI->X, centreI->Y, centreJ->X, centreJ->Y);
    if (static_cast<double>(d) > static_cast<double>(BallSize) * CollisionFactor) return;
  }

  // Bearings are taken between the points a quarter of a ball in from the
  // top-left. A bearing that cannot be taken leaves the last one (0 at first).
  const auto pointI = PointInBall(first, BearingOffset);
  const auto pointJ = PointInBall(second, BearingOffset);
  double bearing = 0.0;
  if (pointI && pointJ) bearing = BearingBetween(pointI->X, pointI->Y, pointJ->X, pointJ->Y, pi);
  SendAway(first, bearing, moveSpeed, pi);
  if (pointI && pointJ) bearing = BearingBetween(pointJ->X, pointJ->Y, pointI->X, pointI->Y, pi);
  SendAway(second, bearing, moveSpeed, pi);
}

}  // namespace orbisette
