// A stand-in for the Screen Saver settings: a small program with a window and a
// magenta preview box, whose handle the harness passes to the preview with /p.
// Its own process, so that the harness can end it by force as a dying host.
// Ends by itself after a minute so that nothing outlives a broken test.
// Usage: orbisette_preview_host.exe WIDTH HEIGHT
#include <windows.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
  int width = 152, height = 112;
  std::swscanf(arguments, L"%d %d", &width, &height);
  WNDCLASSW box{};
  box.lpfnWndProc = ::DefWindowProcW;
  box.hInstance = instance;
  box.hbrBackground = ::CreateSolidBrush(RGB(255, 0, 255));
  box.lpszClassName = L"OrbisettePreviewBox";
  ::RegisterClassW(&box);
  const HWND host = ::CreateWindowExW(0, L"STATIC", L"Orbisette preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                      width + 80, height + 100, nullptr, nullptr, instance, nullptr);
  ::CreateWindowExW(0, L"OrbisettePreviewBox", L"", WS_CHILD | WS_VISIBLE, 20, 20, width, height, host, nullptr,
                    instance, nullptr);
  ::SetTimer(nullptr, 0, 60000, [](HWND, UINT, UINT_PTR, DWORD) { ::ExitProcess(3); });
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
  return 0;
}
