// The screen as the window system reports it now: its size and the logical
// DPI's twips per pixel on each axis, read afresh at every call so that a
// change of resolution takes effect at once. The run, the preview and the
// dialog all read it here.
#pragma once

#include "platform/twips.h"

namespace orbisette {

ScreenGeometry ReadScreen() noexcept;

}  // namespace orbisette
