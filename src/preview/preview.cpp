// The preview's decisions over plain values; see preview.h.
#include "preview/preview.h"

#include <algorithm>

#include "platform/numeric.h"

namespace orbisette {
namespace {

// One side in twips: a statement of its own, so an overflow leaves only this side 0.
std::int16_t SideTwips(std::int32_t from, std::int32_t to, double twipsPerPixel) {
  const double pixels = static_cast<double>(to) - static_cast<double>(from);
  return RoundToInt16(twipsPerPixel * pixels).value_or(0);
}

std::int32_t SidePixels(std::int16_t twips, double twipsPerPixel) {
  const float pixels = static_cast<float>(twips) / static_cast<float>(twipsPerPixel);
  return std::max(0, RoundToInt32(pixels).value_or(0));
}

}  // namespace

PreviewStart DecidePreviewStart(std::int32_t hostHandle, bool hostIsWindow) {
  return hostHandle != 0 && hostIsWindow ? PreviewStart::Embed : PreviewStart::EndAtOnce;
}

PreviewTwips PreviewSizeTwips(const PixelRect& host, TwipsPerPixel perPixel) {
  return {SideTwips(host.Left, host.Right, perPixel.X), SideTwips(host.Top, host.Bottom, perPixel.Y)};
}

PixelSize PreviewSizePixels(PreviewTwips size, TwipsPerPixel perPixel) {
  return {SidePixels(size.Width, perPixel.X), SidePixels(size.Height, perPixel.Y)};
}

PreviewPaint PreviewPaintFor(PixelSize box) {
  const std::int32_t width = std::max(0, box.Width);
  const std::int32_t height = std::max(0, box.Height);
  const std::int32_t shownWidth = std::min(width, PreviewPictureWidth);
  const std::int32_t shownHeight = std::min(height, PreviewPictureHeight);
  PreviewPaint paint;
  paint.Picture = {0, 0, shownWidth, shownHeight};
  if (width > shownWidth) paint.BlackRight = {shownWidth, 0, width, height};
  if (height > shownHeight) paint.BlackBelow = {0, shownHeight, shownWidth, height};
  return paint;
}

}  // namespace orbisette
