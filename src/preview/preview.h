// The still preview in the screen-saver host's box, as plain decisions: whether
// to show it at all, how large the preview form is, and how its picture sits in
// it. Portable: the shell asks the window system and acts on these answers.
#pragma once

#include <cstdint>

#include "platform/twips.h"

namespace orbisette {

inline constexpr wchar_t PreviewCaption[] = L"Preview Window";
// The picture is always drawn at its own size, never stretched.
inline constexpr std::int32_t PreviewPictureWidth = 152;
inline constexpr std::int32_t PreviewPictureHeight = 112;

enum class PreviewStart { EndAtOnce, Embed };

// A handle of 0 (none given, or no number) or one that names no window ends the
// process at once: embedding into nothing would leave an invisible window and a
// process that never ends.
PreviewStart DecidePreviewStart(std::int32_t hostHandle, bool hostIsWindow);

// The preview form's size, kept in 16-bit twips.
struct PreviewTwips {
  std::int16_t Width = 0;
  std::int16_t Height = 0;
  bool operator==(const PreviewTwips&) const = default;
};

// The host's size times each axis's factor, nearest (halves to even). A side
// beyond the 16-bit range stays 0; the other side is still worked out.
PreviewTwips PreviewSizeTwips(const PixelRect& host, TwipsPerPixel perPixel);

// The form (and its picture box, which covers it) in whole pixels: twips over
// each axis's factor in single precision, nearest. A window has no negative side.
PixelSize PreviewSizePixels(PreviewTwips size, TwipsPerPixel perPixel);

// What a box of the given size shows: the picture's top-left part, drawn one to
// one from the box's origin, and black to the right of it (full height) and
// below it. Empty rectangles are not painted.
struct PreviewPaint {
  PixelRect Picture;
  PixelRect BlackRight;
  PixelRect BlackBelow;
  bool operator==(const PreviewPaint&) const = default;
};
PreviewPaint PreviewPaintFor(PixelSize box);

}  // namespace orbisette
