// The settings dialog's look beyond its controls: the horizontal-line gradients
// of the form and the option panel (dark at the top and bottom edges, light in
// the middle), and the caption animation that grows the dialog out of the point
// where the cursor was when it opened and shrinks it back there when it closes.
// Pure rules; the window paints and animates. Portable: no <windows.h>.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/twips.h"

namespace orbisette {

// The gradient's divisor: the decimal 3.142 the look was tuned with, not pi.
inline constexpr double GradientDivisor = 3.142;
inline constexpr int GradientPeak = 220;
inline constexpr int GradientLift = 30;

struct Rgb {
  int Red = 0;
  int Green = 0;
  int Blue = 0;
};

enum class GradientSurface {
  Form,   // dark blue (0, 0, 30) at the edges to (220, 220, 250) in the middle
  Panel,  // grey (30, 30, 30) at the edges to (250, 250, 250) in the middle
};

// The colour of the line at y (twips from the top) on a surface whose inner
// height is scaleHeight twips: v = |sin(y / (scaleHeight / 3.142))| x 220,
// nearest integer, halves to even. Lines run from y = 0 to the height rounded,
// inclusive.
Rgb GradientColour(GradientSurface surface, double y, double scaleHeight);

// The colour of one pixel row: the value for the row's twip position (the row
// times the vertical factor, rounded to a whole twip).
Rgb GradientColourOfRow(GradientSurface surface, int row, double scaleHeight, double twipsPerPixelY);

// DrawAnimatedRects' caption animation.
inline constexpr int ZoomAnimation = 3;  // IDANI_CAPTION

// Where the cursor was when the dialog loaded, in screen pixels, kept in 16
// bits: (0, 0) when the cursor could not be read; otherwise the cursor's
// coordinates, except that one which does not fit 16 bits keeps its old value.
PixelPoint ZoomPointAfterLoad(PixelPoint old, std::optional<PixelPoint> cursor);

struct ZoomRects {
  PixelRect From;
  PixelRect To;
};

// Opening: from the zero-size rectangle at the point to the window's rectangle.
ZoomRects ZoomFromCursor(PixelPoint point, const PixelRect& window);
// Closing: from the window's rectangle back to the same point.
ZoomRects ZoomToCursor(PixelPoint point, const PixelRect& window);

}  // namespace orbisette
