#include "platform/window_win32.h"

namespace orbisette {
namespace {

int LiveWindows = 0;

// Registers the class; a class registered before is taken as it stands.
bool Register(const WindowClass& windowClass, WNDPROC windowProc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = windowClass.Style;
  wc.lpfnWndProc = windowProc;
  wc.hInstance = Window::Instance();
  wc.hCursor = windowClass.Cursor ? windowClass.Cursor : ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(windowClass.BackgroundColour));
  wc.lpszClassName = windowClass.Name;
  return ::RegisterClassExW(&wc) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

void Window::Destroy() noexcept {
  if (Hwnd) ::DestroyWindow(Hwnd);
}

HINSTANCE Window::Instance() noexcept { return ::GetModuleHandleW(nullptr); }

void Window::RunMessageLoop() noexcept {
  if (LiveWindows <= 0) return;
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

bool Window::Create(const WindowClass& windowClass, const WindowCreation& creation) noexcept {
  if (Hwnd) return true;
  if (!Register(windowClass, &Window::WindowProc)) return false;
  ::CreateWindowExW(creation.ExStyle, windowClass.Name, creation.Caption, creation.Style, creation.X, creation.Y,
                    creation.Width, creation.Height, creation.Parent, nullptr, Instance(), this);
  return Hwnd != nullptr;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  return ::DefWindowProcW(Hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->Hwnd = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    ++LiveWindows;
  }
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->Hwnd = nullptr;
    self->OnDestroyed();
    // The last window gone ends the message loop, and with it the process.
    if (--LiveWindows <= 0) ::PostQuitMessage(0);
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return self->HandleMessage(message, wParam, lParam);
}

}  // namespace orbisette
