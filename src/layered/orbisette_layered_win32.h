// OrbisetteLayered turns a borderless window into a topmost, per-pixel-alpha
// layered window whose whole look is one PNG: the picture is drawn once into a
// memory bitmap and handed to the system, which composes it over whatever lies
// below; moving the window later costs no redraw. Each instance starts and stops
// GDI+ on its own.
#pragma once

#include <windows.h>

#include <string>

#include "layered/ball_picture_win32.h"
#include "platform/unique_handle_win32.h"

namespace orbisette {

class OrbisetteLayered {
 public:
  // Starts GDI+; a failure is shown in a message box and the instance lives on
  // (its MakeTrans then fails too).
  OrbisetteLayered();
  OrbisetteLayered(const OrbisetteLayered&) = delete;
  OrbisetteLayered& operator=(const OrbisetteLayered&) = delete;
  // Releases what UnloadPNGForm has not.
  ~OrbisetteLayered();

  // Draws the image file unscaled at the top-left of a bitmap the size of the
  // window's inner area and makes the window layered and topmost, showing it.
  // An image that cannot be loaded is reported in a message box and leaves the
  // window as it was. Always returns false (0), as callers ignore it.
  bool MakeTrans(const std::wstring& imagePath, HWND window);
  // The same with a picture that the run decodes once for all its windows.
  bool MakeTrans(BallPicture& picture, HWND window);

  // Shuts GDI+ down and frees the bitmap and its device context. Safe after a
  // failed MakeTrans and safe to call twice.
  void UnloadPNGForm();

 private:
  unique_hdc MemDC;
  unique_hbitmap DibBitmap;
  BLENDFUNCTION BlendFunc{};
  unique_gdiplus_token GdipToken;
  // DibBitmap selected into MemDC; releasing it puts the earlier bitmap back.
  unique_select_object OldBitmap;
};

}  // namespace orbisette
