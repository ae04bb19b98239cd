// Geometry between two balls and the bounce when they touch. Screen points are
// 32-bit whole twips; angles are degrees clockwise from straight up, converted
// with the single-precision pi the caller passes in (see MakePi).
#pragma once

#include <cstddef>
#include <cstdint>

#include "saver/ball_table.h"

namespace orbisette {

double DegToRad(double degrees, float pi);
double RadToDeg(double radians, float pi);

// Straight-line distance, nearest whole twip (halves to even); 0 when the
// result does not fit.
std::int32_t DistanceBetween(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);

// The bearing of point 2 seen from point 1 with y growing downwards: above is 0,
// right 90, below 180, left 270. Equal points give 180.
double BearingBetween(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, float pi);

// When the centres of balls i and j are no further apart than
// BallSize * CollisionFactor, each is sent away from the other at moveSpeed,
// whatever its speed was. Positions are left alone. Indices outside the table do
// nothing.
void CollideBalls(BallTable& balls, std::size_t i, std::size_t j, float moveSpeed, float pi);

}  // namespace orbisette
