// The ball picture of one run, decoded once for all ten ball windows: the first
// window that asks decodes the file, and the others draw the same picture. A
// picture whose header gives a size far beyond a ball window, in any format, is
// not decoded at all and counts, like a missing or broken file, as a picture
// that cannot be had; so does one whose decode takes more than a few seconds.
// The decode runs on a thread of its own, and the window thread asks between
// short waits whether the run should end, so it can end at any moment of it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/unique_handle_win32.h"

namespace orbisette {

class BallPicture {
 public:
  // stopWaiting is asked every few milliseconds while the picture decodes;
  // true gives the picture up (the run has ended meanwhile).
  explicit BallPicture(std::wstring path, std::function<bool()> stopWaiting = {})
      : Path(std::move(path)), StopWaiting(std::move(stopWaiting)) {}
  BallPicture(const BallPicture&) = delete;
  BallPicture& operator=(const BallPicture&) = delete;

  // The decoded picture, read from the file at the first call; null when it
  // cannot be had, then and at every later call.
  gdiplus::Image* Image() noexcept;

 private:
  std::wstring Path;
  std::function<bool()> StopWaiting;
  bool Tried = false;
  // A hold on GDI+'s session, so the picture outlives every window's; it is let
  // go after the picture is released.
  GdiplusSession Session;
  unique_gdip_image Picture;
};

}  // namespace orbisette
