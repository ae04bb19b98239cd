// The font every caption of the settings dialog uses: "ＭＳ Ｐゴシック" at the
// dialog's size, or, on a system that lacks it and substitutes a face without
// the Latin letters or the kana, the first Japanese face that has them all.
#pragma once

#include "platform/twips.h"
#include "platform/unique_handle_win32.h"

namespace orbisette {

unique_hfont CreateCaptionFont(TwipsPerPixel perPixel);

}  // namespace orbisette
