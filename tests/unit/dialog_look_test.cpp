// The dialog's gradient rows and the zoom animation's point and rectangles.
// The expected levels were worked out by hand from the form's 3660-twip and a
// 2475-twip panel height; rows 3620 and 2430 round differently with pi or 3.14.
#include "dialog/dialog_look.h"

#include <gtest/gtest.h>

#include <array>

namespace orbisette {
namespace {

std::array<int, 3> Channels(Rgb c) { return {c.Red, c.Green, c.Blue}; }

TEST(DialogLook, GradientColourOfARow) {
  using enum GradientSurface;
  const struct {
    GradientSurface Surface;
    double Y, Height;
    std::array<int, 3> Colour;
  } cases[] = {
      {Form, 0, 3660, {0, 0, 30}},       {Form, 1830, 3660, {220, 220, 250}},  // top, middle
      {Form, 3660, 3660, {0, 0, 30}},    {Form, 100, 3660, {19, 19, 49}},      // bottom; 18.86 rounds up
      {Form, 3620, 3660, {7, 7, 37}},    {Form, 3657, 3660, {0, 0, 30}},       // 7.46 (8 with 3.14 or pi)
      {Panel, 0, 2475, {30, 30, 30}},    {Panel, 1237, 2475, {250, 250, 250}},
      {Panel, 2430, 2475, {42, 42, 42}}, {Panel, 2475, 2475, {30, 30, 30}},
      {Form, 0, 0, {0, 0, 30}},  // a minimised form has no height
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Channels(GradientColour(c.Surface, c.Y, c.Height)), c.Colour) << c.Y << " of " << c.Height;
  }
  // Pixel rows take the twip at their own top: row 301 at 12 twips a pixel is y 3612.
  EXPECT_EQ(Channels(GradientColourOfRow(Form, 301, 3660, 12)), (std::array{9, 9, 39}));
  EXPECT_EQ(Channels(GradientColourOfRow(Form, 122, 3660, 15)), (std::array{220, 220, 250}));
  // 192 DPI, 7.5 twips a pixel: rows 1 and 47 start at 7.5 and 352.5, halves to even: y 8 and 352.
  EXPECT_EQ(Channels(GradientColourOfRow(Form, 1, 3660, 7.5)), (std::array{2, 2, 32}));
  EXPECT_EQ(Channels(GradientColourOfRow(Form, 47, 3660, 7.5)), (std::array{65, 65, 95}));
}

TEST(DialogLook, ZoomPointFollowsTheCursorAtLoad) {
  const struct {
    PixelPoint Old;
    std::optional<PixelPoint> Cursor;
    std::array<int, 2> Point;
  } cases[] = {
      {{0, 0}, PixelPoint{100, 37}, {100, 37}},
      {{5, 6}, std::nullopt, {0, 0}},  // cursor unreadable: the top-left corner
      {{5, 6}, PixelPoint{40000, 37}, {5, 37}},
      {{5, 6}, PixelPoint{-12, 70000}, {-12, 6}},
      {{5, 6}, PixelPoint{-32768, 32767}, {-32768, 32767}},
  };
  for (const auto& c : cases) {
    const PixelPoint p = ZoomPointAfterLoad(c.Old, c.Cursor);
    EXPECT_EQ((std::array<int, 2>{p.X, p.Y}), c.Point);
  }
}

TEST(DialogLook, ZoomRunsFromThePointAndBack) {
  const PixelPoint point{100, 37};
  const PixelRect window{260, 170, 745, 443};
  const auto corners = [](const PixelRect& r) { return std::array{r.Left, r.Top, r.Right, r.Bottom}; };
  const ZoomRects opening = ZoomFromCursor(point, window);
  const ZoomRects closing = ZoomToCursor(point, window);
  EXPECT_EQ(corners(opening.From), (std::array{100, 37, 100, 37}));
  EXPECT_EQ(corners(opening.To), (std::array{260, 170, 745, 443}));
  EXPECT_EQ(corners(closing.From), (std::array{260, 170, 745, 443}));
  EXPECT_EQ(corners(closing.To), (std::array{100, 37, 100, 37}));
  EXPECT_EQ(ZoomAnimation, 3);
}

}  // namespace
}  // namespace orbisette
