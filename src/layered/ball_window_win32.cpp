#include "layered/ball_window_win32.h"

namespace orbisette {
namespace {

// What a ball shows when its picture could not be loaded: the button face.
constexpr WindowClass BallClass{L"OrbisetteBall", COLOR_BTNFACE + 1};

}  // namespace

bool BallForm::Create() noexcept {
  // WS_POPUP: no border or caption, the picture is the whole window.
  // WS_EX_TOOLWINDOW so that no ball gets a taskbar button.
  return Window::Create(BallClass, WindowCreation{.ExStyle = WS_EX_TOOLWINDOW,
                                                  .Caption = Caption,
                                                  .Style = WS_POPUP,
                                                  .Width = BallWindowSide,
                                                  .Height = BallWindowSide});
}

void BallForm::Load(BallPicture& picture) {
  if (!Exists()) return;
  BallLayer = std::make_unique<OrbisetteLayered>();
  BallLayer->MakeTrans(picture, Handle());
}

void BallForm::Move(int x, int y) noexcept {
  if (Exists()) ::SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void BallForm::Show() noexcept {
  if (Exists()) ::ShowWindow(Handle(), SW_SHOWNORMAL);
}

void BallForm::Unload() noexcept {
  if (!Exists()) return;
  if (BallLayer) BallLayer->UnloadPNGForm();
  Destroy();
}

LRESULT BallForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  LRESULT result = 0;
  if (Listener && Listener->OnBallMessage(Handle(), message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_CLOSE: return 0;  // a ball goes only when the run ends
    default: return Window::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace orbisette
