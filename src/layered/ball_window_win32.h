// A ball window: a borderless 147 x 147 window without a taskbar button that,
// once loaded, shows the ball picture through its own OrbisetteLayered. The nine
// balls Orbisette_01 to Orbisette_09 are plain instances; the saver window
// Orbisette_Main is one too, with timers of its own (see SaverWindow).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "layered/orbisette_layered_win32.h"

namespace orbisette {

// The image every ball window loads, installed there by the start-up.
inline constexpr wchar_t BallImagePath[] = L"C:\\v_lumo\\Orbisette.dll";
// The window's side in pixels (2205 twips at 15 twips per pixel).
inline constexpr int BallWindowSide = 147;

class BallWindow {
 public:
  // caption: the window's title (empty for Orbisette_01 to Orbisette_09).
  explicit BallWindow(std::wstring caption);
  BallWindow(const BallWindow&) = delete;
  BallWindow& operator=(const BallWindow&) = delete;
  virtual ~BallWindow();

  bool loaded() const { return hwnd_ != nullptr; }
  HWND hwnd() const { return hwnd_; }

  // Creates the window, hidden, and makes it a ball (its load). A missing image
  // shows its message box here, before Load returns.
  void Load();
  // Moves the window's top-left to (x, y) pixels, loading it first if needed.
  void Move(int x, int y);
  void Show();
  // Releases the picture and destroys the window (its unload). Nothing when not loaded.
  void Unload();

 protected:
  // Creates the window only; the saver window starts its timer between this and
  // its own load work.
  void Create();
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  std::unique_ptr<OrbisetteLayered> BallLayer;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  std::wstring caption_;
  HWND hwnd_ = nullptr;
};

}  // namespace orbisette
