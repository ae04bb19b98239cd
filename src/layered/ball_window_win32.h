// A ball window: a borderless 147 x 147 window without a taskbar button that,
// once loaded, shows the ball picture through its own OrbisetteLayered. The run
// holds ten of them: Orbisette_Main (ball 0, which carries the run's timers and
// hands its messages to the run) and the untitled Orbisette_01 to Orbisette_09.
#pragma once

#include <windows.h>

#include <memory>

#include "layered/orbisette_layered_win32.h"
#include "platform/window_win32.h"

namespace orbisette {

// The window's side in pixels (2205 twips at 15 twips per pixel).
inline constexpr int BallWindowSide = 147;

// Who hears a ball window's messages before the window does: the run, for ball 0.
class BallWindowListener {
 public:
  // True when the message was handled and result holds the answer.
  virtual bool OnBallMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept = 0;

 protected:
  ~BallWindowListener() = default;
};

class BallForm : public Window {
 public:
  // caption: "Orbisette_Main" for ball 0, empty for the others.
  explicit BallForm(const wchar_t* caption = L"", BallWindowListener* listener = nullptr)
      : Caption(caption), Listener(listener) {}

  // Creates the window, hidden, without its picture. WM_CREATE reaches the
  // listener inside. False when the window could not be made.
  bool Create() noexcept;
  // Makes the created window a ball: a new BallLayer draws the picture (its
  // load). A picture that cannot be had shows its message box before this
  // returns.
  void Load(BallPicture& picture);
  // Moves the window's top-left to (x, y) pixels; nothing when it does not exist.
  void Move(int x, int y) noexcept;
  void Show() noexcept;
  // Releases the picture, then destroys the window (its unload). Nothing when
  // not created.
  void Unload() noexcept;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;

  const wchar_t* Caption;
  BallWindowListener* Listener;
  std::unique_ptr<OrbisetteLayered> BallLayer;
};

using BallWindow = WindowOf<BallForm>;

}  // namespace orbisette
