// The floor the run is measured against: a program that does nothing but move
// ten 147 x 147 layered, topmost windows by one pixel on every tick of a 1 ms
// timer, turning at the screen's edges. Whatever the run costs beyond this is
// the run's own. Ends on Escape.
#include <windows.h>

#include <array>

namespace {

constexpr int Side = 147;
constexpr UINT_PTR TickTimer = 1;

struct Ball {
  HWND Hwnd = nullptr;
  int X = 0, Y = 0, Dx = 1, Dy = 1;
};
std::array<Ball, 10> Balls;

// A grey disc with alpha, handed to the window once, as the run does.
void GiveDisc(HWND hwnd) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), Side, Side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* pixels = static_cast<DWORD*>(bits);
  for (int y = 0; y < Side; ++y) {
    for (int x = 0; x < Side; ++x) {
      const int dx = x - 60, dy = y - 60;
      pixels[y * Side + x] = dx * dx + dy * dy < 60 * 60 ? 0x80606060u : 0u;
    }
  }
  HGDIOBJ earlier = ::SelectObject(memory, bitmap);
  POINT source{0, 0};
  SIZE size{Side, Side};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ::UpdateLayeredWindow(hwnd, screen, nullptr, &size, memory, &source, 0, &blend, ULW_ALPHA);
  ::SelectObject(memory, earlier);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
}

void Tick() {
  const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
  for (Ball& b : Balls) {
    if (b.X < 0 || b.X > width - Side) b.Dx = -b.Dx;
    if (b.Y < 0 || b.Y > height - Side) b.Dy = -b.Dy;
    b.X += b.Dx;
    b.Y += b.Dy;
    ::SetWindowPos(b.Hwnd, nullptr, b.X, b.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (::GetAsyncKeyState(VK_ESCAPE)) ::PostQuitMessage(0);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    Tick();
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"OrbisetteFloor";
  ::RegisterClassW(&wc);
  int i = 0;
  for (Ball& b : Balls) {
    b.X = 40 + 70 * i;
    b.Y = 30 + 50 * i;
    b.Dx = i % 2 ? 1 : -1;
    ++i;
    b.Hwnd = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, b.X,
                               b.Y, Side, Side, nullptr, nullptr, instance, nullptr);
    GiveDisc(b.Hwnd);
  }
  for (Ball& b : Balls) ::ShowWindow(b.Hwnd, SW_SHOWNOACTIVATE);
  ::SetTimer(Balls[0].Hwnd, TickTimer, 1, nullptr);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
  return 0;
}
