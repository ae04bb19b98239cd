// The ball table of a screen-saver run and the rules that move it: where the
// balls start, how they turn at the screen edges, where the cursor is parked and
// when the run ends. Portable: no <windows.h>; the shell reads the clock, the
// cursor and the keyboard and places the windows.
//
// Lengths are twips (1/1440 in); speeds are twips per tick. A statement whose
// conversion fails (out of range) is skipped and the value it would have written
// stays as it was.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/twips.h"

namespace orbisette {

inline constexpr std::size_t BallCount = 10;
inline constexpr float BallSize = 1800.0f;      // the side the physics assumes, twips; not the window's 147 px
inline constexpr float EdgeSlack = -280.0f;     // how far past the left/top edge a ball may go
inline constexpr double CornerMargin = 30.0;    // pixels the cursor may stray from its corner
inline constexpr double CollisionFactor = 0.9;  // contact when centres are this many sizes apart
inline constexpr double CentreOffset = 900.0;   // from a ball's top-left to its centre
inline constexpr double BearingOffset = 450.0;  // the point bearings between balls are taken from
inline constexpr std::int16_t ReboundOn = 1;    // the only Rebound value that makes balls collide

// PosX/PosY: top-left of the ball's window. SpeedX/SpeedY: added every tick.
struct BallState {
  float PosX;
  float PosY;
  float SpeedX;
  float SpeedY;
};

using BallTable = std::array<BallState, BallCount>;

// Pi as the animation uses it: atan(1) * 4 worked out in double and kept as a
// single (3.14159274). Every angle conversion takes this value, not exact pi.
float MakePi();

// A stream of uniform numbers in [0, 1), strictly below 1.
class UniformSource {
 public:
  virtual ~UniformSource() = default;
  virtual float Next() = 0;
};

// A 24-bit linear congruential generator, seeded from the seconds since
// midnight. The same seed always gives the same stream.
class TimeSeededRandom final : public UniformSource {
 public:
  explicit TimeSeededRandom(float secondsSinceMidnight);
  float Next() override;

 private:
  std::uint32_t State;
};

// Deals every ball a start position and speed, ball 0 to 9, four draws each:
// left, top, then the horizontal and vertical speed from
// {moveSpeed, moveSpeed/2, -moveSpeed, -moveSpeed/2}. Positions are whole twips
// from BallSize to the screen size less BallSize.
void PlaceBalls(BallTable& balls, const ScreenGeometry& screen, float moveSpeed, UniformSource& random);

// Step one of a tick, for each ball in turn: turn at the left, top, right and
// bottom bounds (strict comparisons, positions never clamped), then move.
void TurnAndMove(BallTable& balls, const ScreenGeometry& screen);

// Step three of a tick: when rebound is exactly ReboundOn, every pair (i, j),
// i < j, in order, is tested for contact and bounced (see collision.h).
void CollideAll(BallTable& balls, std::int16_t rebound, float moveSpeed, float pi);

// What a tick does between its two halves: the shell moves each ball's window
// to the position the table then holds.
using PlaceWindows = std::function<void(const BallTable& balls)>;

// The whole tick the run makes: TurnAndMove, the windows placed, then CollideAll.
void AnimationStep(BallTable& balls, const ScreenGeometry& screen, std::int16_t rebound, float moveSpeed, float pi,
                   const PlaceWindows& placeWindows = {});

// Where a ball's window goes: its position in whole pixels, nearest, halves to
// even. Empty when either coordinate does not convert; the window then stays.
std::optional<PixelPoint> WindowPointOf(const BallState& ball, TwipsPerPixel perPixel);

// Where the cursor is put at the start of a run: the screen size in pixels. A
// coordinate that does not convert is empty and the caller leaves it alone.
struct CursorParkPoint {
  std::optional<std::int32_t> X;
  std::optional<std::int32_t> Y;
};
CursorParkPoint CursorParkPointFor(const ScreenGeometry& screen);

enum class RunEndReason { None, Cursor, Escape };

// The end-of-run test made after the windows are placed. cursor is empty when
// reading it failed, which counts as (0, 0). The cursor ends the run when it has
// left the bottom-right corner by more than CornerMargin pixels; then a nonzero
// Escape key state ends it. The cursor is tested first.
RunEndReason EndOfRunTest(std::optional<PixelPoint> cursor, std::int16_t escapeKeyState, const ScreenGeometry& screen);

// What the run's end hands to ShowCursor: the display counter the start-up got
// when it hid the cursor, used as the show flag itself (-1, the usual value,
// shows the cursor again; 0 hides it once more). Empty when the start-up left
// the cursor alone, and the run's end does too.
std::optional<std::int32_t> CursorFlagAtRunEnd(bool startupHidCursor, std::int32_t cursorShowCount);

}  // namespace orbisette
