#include "dialog/dialog_look.h"

#include <cmath>
#include <limits>

#include "platform/numeric.h"

namespace orbisette {
namespace {

// 0 to 220. A zero height divides by zero; that line keeps the level 0.
int GradientLevel(double y, double scaleHeight) {
  const double k = scaleHeight / GradientDivisor;
  if (k == 0) return 0;
  return RoundToInt32(std::fabs(std::sin(y / k)) * GradientPeak).value_or(0);
}

bool Fits16(std::int32_t v) {
  return v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max();
}

PixelRect PointRect(PixelPoint p) { return {p.X, p.Y, p.X, p.Y}; }

}  // namespace

Rgb GradientColour(GradientSurface surface, double y, double scaleHeight) {
  const int v = GradientLevel(y, scaleHeight);
  if (surface == GradientSurface::Form) return {v, v, v + GradientLift};
  return {v + GradientLift, v + GradientLift, v + GradientLift};
}

Rgb GradientColourOfRow(GradientSurface surface, int row, double scaleHeight, double twipsPerPixelY) {
  const double y = RoundToInt32(row * twipsPerPixelY).value_or(0);
  return GradientColour(surface, y, scaleHeight);
}

PixelPoint ZoomPointAfterLoad(PixelPoint old, std::optional<PixelPoint> cursor) {
  if (!cursor) return {};
  PixelPoint next = old;
  if (Fits16(cursor->X)) next.X = cursor->X;
  if (Fits16(cursor->Y)) next.Y = cursor->Y;
  return next;
}

ZoomRects ZoomFromCursor(PixelPoint point, const PixelRect& window) { return {PointRect(point), window}; }

ZoomRects ZoomToCursor(PixelPoint point, const PixelRect& window) { return {window, PointRect(point)}; }

}  // namespace orbisette
