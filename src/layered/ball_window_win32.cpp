#include "layered/ball_window_win32.h"

#include "startup/program_win32.h"

namespace orbisette {
namespace {

constexpr wchar_t kClassName[] = L"OrbisetteBall";

void RegisterOnce(WNDPROC windowProc) {
  static const bool registered = [windowProc] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = program::instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    // What a ball shows when its picture could not be loaded: the button face.
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return ::RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

}  // namespace

BallWindow::BallWindow(std::wstring caption) : caption_(std::move(caption)) {}

BallWindow::~BallWindow() { Unload(); }

void BallWindow::Create() {
  if (hwnd_) return;
  RegisterOnce(&BallWindow::WindowProc);
  // WS_POPUP: no border or caption, the picture is the whole window.
  // WS_EX_TOOLWINDOW so that no ball gets a taskbar button.
  ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, caption_.c_str(), WS_POPUP, 0, 0, BallWindowSide, BallWindowSide,
                    nullptr, nullptr, program::instance, this);
}

void BallWindow::Load() {
  if (hwnd_) return;
  Create();
  if (!hwnd_) return;
  BallLayer = std::make_unique<OrbisetteLayered>();
  BallLayer->MakeTrans(BallImagePath, hwnd_);
}

void BallWindow::Move(int x, int y) {
  Load();
  if (hwnd_) ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void BallWindow::Show() {
  if (hwnd_) ::ShowWindow(hwnd_, SW_SHOWNORMAL);
}

void BallWindow::Unload() {
  if (!hwnd_) return;
  if (BallLayer) BallLayer->UnloadPNGForm();
  ::DestroyWindow(hwnd_);
}

LRESULT BallWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  switch (message) {
    case WM_CLOSE: return 0;  // a ball goes only when the run ends
    default: return ::DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

LRESULT CALLBACK BallWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<BallWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    program::NoteWindowCreated();
  }
  auto* self = reinterpret_cast<BallWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    program::NoteWindowDestroyed();
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return self->HandleMessage(message, wParam, lParam);
}

}  // namespace orbisette
