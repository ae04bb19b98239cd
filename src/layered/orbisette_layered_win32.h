// OrbisetteLayered turns a borderless window into a topmost, per-pixel-alpha
// layered window whose whole look is one PNG: the picture is drawn once into a
// memory bitmap and handed to the system, which composes it over whatever lies
// below; moving the window later costs no redraw. Each instance holds the
// process's GDI+ session while it lives.
#pragma once

#include <windows.h>

#include <string>

#include "layered/ball_picture_win32.h"
#include "platform/unique_handle_win32.h"

namespace orbisette {

class OrbisetteLayered {
 public:
  // Joins GDI+'s session; a failure to start it is shown in a message box and the instance lives on
  // (its MakeTrans then fails too).
  OrbisetteLayered();
  OrbisetteLayered(const OrbisetteLayered&) = delete;
  OrbisetteLayered& operator=(const OrbisetteLayered&) = delete;
  // Releases what UnloadPNGForm has not.
  ~OrbisetteLayered();

  // Draws the picture (decoded once by the run for all its windows) unscaled at
  // the top-left of a bitmap the size of the window's inner area and makes the
  // window layered and topmost, showing it. A picture that cannot be had is
  // reported in a message box and leaves the window as it was.
  void MakeTrans(BallPicture& picture, HWND window);

  // Lets go of GDI+ and frees the bitmap and its device context. Safe after a
  // failed MakeTrans and safe to call twice.
  void UnloadPNGForm();

 private:
  bool MakeSurface(HWND window);
  bool DrawPicture(BallPicture& picture);
  void ShowLayered(HWND window);

  unique_hdc MemDC;
  unique_hbitmap DibBitmap;
  BLENDFUNCTION BlendFunc{};
  GdiplusSession Gdiplus;
  // DibBitmap selected into MemDC; releasing it puts the earlier bitmap back.
  unique_select_object OldBitmap;
};

}  // namespace orbisette
