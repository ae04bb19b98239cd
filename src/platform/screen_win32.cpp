#include "platform/screen_win32.h"

#include "platform/unique_handle_win32.h"

namespace orbisette {

ScreenGeometry ReadScreen() noexcept {
  const unique_hdc_window screen(nullptr);
  const TwipsPerPixel perPixel =
      TwipsPerPixelForDpi(::GetDeviceCaps(screen.get(), LOGPIXELSX), ::GetDeviceCaps(screen.get(), LOGPIXELSY));
  return ScreenFromPixels(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), perPixel);
}

}  // namespace orbisette
