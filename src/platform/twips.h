// Twips and pixels. The program keeps form positions and sizes in twips
// (1/1440 inch) and talks to the window system in pixels; the screen's logical
// DPI links the two, per axis (15 twips a pixel at 96 DPI). Portable.
#pragma once

#include <cstdint>
#include <optional>

namespace orbisette {

inline constexpr double TwipsPerInch = 1440.0;
inline constexpr double DefaultTwipsPerPixel = 15.0;  // 96 DPI

// The horizontal and vertical factors, never one number for both axes.
struct TwipsPerPixel {
  double X = DefaultTwipsPerPixel;
  double Y = DefaultTwipsPerPixel;
};

// 1440 / DPI for each axis; an axis whose DPI is not positive keeps 15.
TwipsPerPixel TwipsPerPixelForDpi(int dpiX, int dpiY);

// The screen as the run sees it: its size in twips and the factors it came from.
struct ScreenGeometry {
  double WidthTwips = 0;
  double HeightTwips = 0;
  TwipsPerPixel PerPixel;
};

// A screen of widthPixels x heightPixels at the given factors.
ScreenGeometry ScreenFromPixels(int widthPixels, int heightPixels, TwipsPerPixel perPixel);

// A place on the screen in whole pixels (the cursor, a window's top-left).
struct PixelPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  bool operator==(const PixelPoint&) const = default;
};

// A place in whole twips.
struct TwipsPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
};

// Screen pixels by edges, as the window system gives a window's rectangle.
struct PixelRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;
  bool operator==(const PixelRect&) const = default;
};

// A size in pixels.
struct PixelSize {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  bool operator==(const PixelSize&) const = default;
};

// A length in twips as whole pixels, nearest, halves to even; empty when it does
// not fit 32 bits.
std::optional<std::int32_t> TwipsToPixels(double twips, double twipsPerPixel);

}  // namespace orbisette
