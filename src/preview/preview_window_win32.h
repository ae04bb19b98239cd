// The preview form Orbisette_R: a borderless black window captioned "Preview
// Window" that the screen-saver host asks for with /p and its box's handle. It
// becomes a child of that box, takes the box's size and shows the still picture
// the .scr carries, at its own size from the top-left, black beyond. Nothing
// moves and nothing is read. The preview is over when its window is destroyed
// or the host's box is gone, whichever is noticed first.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/unique_handle_win32.h"
#include "platform/window_win32.h"
#include "preview/preview.h"

namespace orbisette {

// The preview picture from a module's resources as a GDI bitmap; empty when it
// cannot be had.
unique_hbitmap DecodePreviewPicture(HMODULE resources) noexcept;

// What the preview shows in a box of the given size: the picture one to one
// from the top-left, black to its right and below it. Painting and printing
// share it.
void PaintPreview(HDC dc, PixelSize box, HBITMAP picture) noexcept;

class PreviewForm : public Window {
 public:
  // onEnded runs once, when the preview is over (the program ends the process
  // there). resources: the module that carries the picture, the program's own
  // unless a host shows the preview in its own process.
  explicit PreviewForm(std::function<void()> onEnded, HMODULE resources = Window::Instance());
  ~PreviewForm() override;

  // The set-up: loads Orbisette_R, makes it a child of host sized to host's
  // rectangle, shows it and starts watching host. False when there is no
  // preview to show (the window could not be made or embedded).
  bool Embed(HWND host) noexcept;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
  void OnDestroyed() noexcept override;
  void OnPaint() noexcept;
  void Paint(HDC dc) noexcept;
  static void CALLBACK OnWatchTick(HWND, UINT, UINT_PTR timer, DWORD) noexcept;
  void End() noexcept;
  void StopWatching() noexcept;

  std::function<void()> OnEnded;
  HMODULE Resources;
  HWND Host = nullptr;
  unique_hbitmap Picture;  // decoded once, when the window is made
  unique_thread_timer WatchTimer;
  bool Ended = false;
};

using PreviewWindow = WindowOf<PreviewForm>;

}  // namespace orbisette
