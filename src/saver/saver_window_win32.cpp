#include "saver/saver_window_win32.h"

#include <windows.h>

#include <array>
#include <memory>
#include <optional>

#include "layered/ball_window_win32.h"
#include "saver/ball_table.h"
#include "startup/command_line.h"
#include "startup/program_win32.h"

namespace orbisette {
namespace {

constexpr UINT_PTR Timer3 = 3;
constexpr UINT Timer3Interval = 1;  // as often as the system delivers ticks
constexpr wchar_t SaverCaption[] = L"Orbisette_Main";

// The screen as the ball table sees it: its size in twips and the twips per pixel.
struct Screen {
  double width = 0;
  double height = 0;
  double twipsPerPixelX = 15;
  double twipsPerPixelY = 15;
};

// Read afresh at every use, so a change of resolution takes effect at once.
Screen ReadScreen() {
  Screen s;
  ScopedGetDC screenDC(nullptr);
  const int dpiX = ::GetDeviceCaps(screenDC.get(), LOGPIXELSX);
  const int dpiY = ::GetDeviceCaps(screenDC.get(), LOGPIXELSY);
  if (dpiX > 0) s.twipsPerPixelX = 1440.0 / dpiX;
  if (dpiY > 0) s.twipsPerPixelY = 1440.0 / dpiY;
  s.width = ::GetSystemMetrics(SM_CXSCREEN) * s.twipsPerPixelX;
  s.height = ::GetSystemMetrics(SM_CYSCREEN) * s.twipsPerPixelY;
  return s;
}

float SecondsSinceMidnight() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return static_cast<float>(now.wHour * 3600 + now.wMinute * 60 + now.wSecond + now.wMilliseconds / 1000.0);
}

class SaverWindow final : public BallWindow {
 public:
  SaverWindow() : BallWindow(SaverCaption) {
    // Orbisette_01 to Orbisette_09, untitled.
    for (auto& ball : balls_) ball = std::make_unique<BallWindow>(L"");
  }

  void LoadAndStart() {
    Create();
    if (hwnd()) FormLoad();
  }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override {
    switch (message) {
      case WM_CREATE: return OnCreate();
      case WM_TIMER: return wParam == Timer3 ? OnTimer3() : 0;
      case WM_CLOSE: return OnClose();
      default: return ::DefWindowProcW(hwnd(), message, wParam, lParam);
    }
  }

  LRESULT OnCreate() noexcept {
    // Ticking from the window's creation: a failure box during the run start lets
    // ticks through before the ball table exists.
    ::SetTimer(hwnd(), Timer3, Timer3Interval, nullptr);
    return 0;
  }

  LRESULT OnClose() noexcept {
    EndRun();
    return 0;
  }

  LRESULT OnTimer3() noexcept {
    try {
      AnimationStep();
    } catch (...) {
      // Nothing of a tick may stop the next one.
    }
    return 0;
  }

  void FormLoad() {
    const Screen screen = ReadScreen();
    // The cursor goes one pixel past the last column and row and so rests on the
    // bottom-right pixel; moving it about 30 pixels away ends the run.
    const CursorParkPoint park =
        CursorParkPointFor(screen.width, screen.height, screen.twipsPerPixelX, screen.twipsPerPixelY);
    ApiResult = ::SetCursorPos(park.X.value_or(0), park.Y.value_or(0));

    BallLayer = std::make_unique<OrbisetteLayered>();
    BallLayer->MakeTrans(BallImagePath, hwnd());

    Balls.emplace();  // every field 0
    Pi = MakePi();
    TimeSeededRandom random(SecondsSinceMidnight());
    PlaceBalls(*Balls, screen.width, screen.height, program::settings.MoveSpeed, random);

    // Each ball window is loaded by its first move, its picture before the next.
    MoveTo(*this, (*Balls)[0], screen);
    for (std::size_t i = 0; i < balls_.size(); ++i) MoveTo(*balls_[i], (*Balls)[i + 1], screen);

    Show();
    for (auto& ball : balls_) ball->Show();
  }

  static void MoveTo(BallWindow& window, const BallState& ball, const Screen& screen) {
    const auto x = TwipsToPixels(ball.PosX, screen.twipsPerPixelX);
    const auto y = TwipsToPixels(ball.PosY, screen.twipsPerPixelY);
    if (x && y) window.Move(*x, *y);
  }

  void AnimationStep() {
    const Screen screen = ReadScreen();
    if (Balls) {
      TurnAndMove(*Balls, screen.width, screen.height);
      // Only windows that are already loaded move here: loading one inside a tick
      // could open a failure box and let the next tick in before this one ends.
      if (loaded()) MoveTo(*this, (*Balls)[0], screen);
      for (std::size_t i = 0; i < balls_.size(); ++i) {
        if (balls_[i]->loaded()) MoveTo(*balls_[i], (*Balls)[i + 1], screen);
      }
      CollideAll(*Balls, program::settings.Rebound, program::settings.MoveSpeed, Pi);
    }

    POINT cursor{0, 0};  // a failed read leaves (0, 0), far outside the corner
    ApiResult = ::GetCursorPos(&cursor);
    const RunEndReason reason =
        EndOfRunTest(CursorPoint{cursor.x, cursor.y}, ::GetAsyncKeyState(VK_ESCAPE), screen.width, screen.height,
                     screen.twipsPerPixelX, screen.twipsPerPixelY);
    if (reason != RunEndReason::None) EndRun();
  }

  // Unloads the saver window, which ends the run, then ends the process at once.
  [[noreturn]] void EndRun() noexcept {
    if (!ending_) {
      ending_ = true;
      ::KillTimer(hwnd(), Timer3);
      FormQueryUnload();
      FormUnload();
    }
    program::EndNow();
  }

  void FormQueryUnload() noexcept {
    // The cursor comes back only if the start-up hid it, the same test it made.
    if (ModeLetter(program::Arguments()) == L"S") {
      program::CursorShowCount = ::ShowCursor(program::CursorShowCount);
    }
    for (auto& ball : balls_) ball->Unload();  // Orbisette_01 to Orbisette_09, in order
  }

  void FormUnload() noexcept {
    if (BallLayer) BallLayer->UnloadPNGForm();
    if (hwnd()) ::DestroyWindow(hwnd());
  }

  std::array<std::unique_ptr<BallWindow>, BallCount - 1> balls_;
  std::optional<BallTable> Balls;  // empty until the run start makes it
  float Pi = 0.0f;
  bool ending_ = false;
};

}  // namespace

void LoadSaverWindow() {
  // Lives until the process ends; the run ends the process itself.
  static SaverWindow* saver = new SaverWindow();
  saver->LoadAndStart();
}

}  // namespace orbisette
