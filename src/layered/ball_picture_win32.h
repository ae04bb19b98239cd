// The ball picture of one run, decoded once for all ten ball windows: the first
// window that asks decodes the file, and the others draw the same picture. A
// picture whose header gives a size far beyond a ball window, in any format, is
// not decoded at all and counts, like a missing or broken file, as a picture
// that cannot be had; so does one whose decode takes more than a few seconds.
// The decode runs on a thread of its own while the window thread's messages go
// on, so the run can end at any moment of it.
#pragma once

#include <windows.h>

#include <string>

#include "platform/unique_handle_win32.h"

namespace orbisette {

class BallPicture {
 public:
  explicit BallPicture(std::wstring path) : Path(std::move(path)) {}
  BallPicture(const BallPicture&) = delete;
  BallPicture& operator=(const BallPicture&) = delete;

  // The decoded picture, read from the file at the first call; null when it
  // cannot be had, then and at every later call. The first call dispatches the
  // thread's messages while it waits.
  gdiplus::Image* Image() noexcept;

 private:
  std::wstring Path;
  bool Tried = false;
  // A hold on GDI+'s session, so the picture outlives every window's; it is let
  // go after the picture is released.
  GdiplusSession Session;
  unique_gdip_image Picture;
};

}  // namespace orbisette
