#include "platform/twips.h"

#include "platform/numeric.h"

namespace orbisette {

TwipsPerPixel TwipsPerPixelForDpi(int dpiX, int dpiY) {
  TwipsPerPixel f;
  if (dpiX > 0) f.X = TwipsPerInch / dpiX;
  if (dpiY > 0) f.Y = TwipsPerInch / dpiY;
  return f;
}

ScreenGeometry ScreenFromPixels(int widthPixels, int heightPixels, TwipsPerPixel perPixel) {
  return ScreenGeometry{widthPixels * perPixel.X, heightPixels * perPixel.Y, perPixel};
}

std::optional<std::int32_t> TwipsToPixels(double twips, double twipsPerPixel) {
  return RoundToInt32(twips / twipsPerPixel);
}

}  // namespace orbisette
