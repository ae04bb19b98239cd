// The settings dialog's look on the screen: its backdrop (the form's gradient
// over the whole client area, the option panel's inside its sunken edge, and
// the heading frames on the panel, drawn once per size into a bitmap that stays
// selected into its own DC for painting, and a brush of it that labels fill
// their background with), the marks and labels drawn over it, and the caption
// animation to and from the cursor's place.
#pragma once

#include <windows.h>

#include <memory>
#include <span>

#include "dialog/dialog_look.h"
#include "platform/unique_handle_win32.h"

namespace orbisette {

struct Backdrop {
  // Declared in the order they go back: the brush first, the bitmap out of the
  // DC before either is deleted.
  unique_hdc Dc;
  unique_hbitmap Bitmap;
  unique_select_object Selection;
  unique_hbrush Brush;
};

// The backdrop for a client area of width x height pixels; empty for an empty
// area or when the system gives no bitmap.
std::unique_ptr<Backdrop> DrawBackdrop(int width, int height, RECT panel, std::span<const RECT> frames,
                                       double twipsPerPixelY);

// An owner-drawn mark of the dialog: the backdrop under it, its 12 x 12
// picture at the top-left, and the focus rectangle when it has the focus.
void PaintMark(const DRAWITEMSTRUCT& item, HWND dialog, const Backdrop& backdrop, HBITMAP picture);

// A label's background: the backdrop lined up under it, so its text stands on
// the gradient and a changed text never leaves a trace.
HBRUSH PrepareLabel(HDC dc, HWND label, HWND dialog, const Backdrop& backdrop);

// The caption animation between the zoom's two rectangles.
void Animate(HWND window, const ZoomRects& zoom);
// The window's rectangle on the screen.
PixelRect WindowRectOf(HWND window);

}  // namespace orbisette
