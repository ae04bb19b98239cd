#include "dialog_driver.h"

#include <gtest/gtest.h>

namespace e2e {

Colour ScreenPixel(POINT p) {
  const HDC screen = ::GetDC(nullptr);
  const COLORREF c = ::GetPixel(screen, p.x, p.y);
  ::ReleaseDC(nullptr, screen);
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

OpenDialog::OpenDialog(const AppFolder& app, const std::wstring& arguments) : Process(app.Program(), arguments) {
  WaitUntil([&] { return (Hwnd = ::FindWindowW(nullptr, L"<Orbisette>")) && ::IsWindowVisible(Hwnd); }, 10s, 5ms);
}

RECT OpenDialog::Place(ControlId id) {
  for (const DesignRow& row : Design) {
    if (row.Id == id) return row.Place;
  }
  ADD_FAILURE() << "no design row for control " << static_cast<int>(id);
  return {};
}

RECT OpenDialog::ClientRectOf(HWND child) const {
  RECT r{};
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(nullptr, Hwnd, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

HWND OpenDialog::Control(ControlId id) const {
  for (HWND child = ::GetWindow(Hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    const RECT r = ClientRectOf(child);
    if (r.left == Place(id).left && r.top == Place(id).top) return child;
  }
  return nullptr;
}

POINT OpenDialog::OnScreen(int x, int y) const {
  POINT p{x, y};
  ::ClientToScreen(Hwnd, &p);
  return p;
}

std::wstring OpenDialog::Text(ControlId id) const {
  wchar_t text[512] = {};
  ::SendMessageW(Control(id), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  return text;
}

bool OpenDialog::MarkShows(ControlId id, bool on) const {
  const RECT r = Place(id);
  return WaitUntil(
      [&] {
        return ScreenPixel(OnScreen(r.left + 11, r.top + 6)) == Colour{64, 64, 72} &&
               (ScreenPixel(OnScreen(r.left + 6, r.top + 6)) == Colour{0, 0, 255}) == on;
      },
      Settle);
}

std::optional<ControlId> OpenDialog::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  ::GetGUIThreadInfo(::GetWindowThreadProcessId(Hwnd, nullptr), &info);
  for (const DesignRow& row : Design) {
    const HWND control = Control(row.Id);
    if (control && (info.hwndFocus == control || ::IsChild(control, info.hwndFocus))) return row.Id;
  }
  return std::nullopt;
}

void OpenDialog::Post(ControlId id, UINT down, UINT up) const {
  ::PostMessageW(Control(id), down, 0, MAKELPARAM(3, 3));
  ::PostMessageW(Control(id), up, 0, MAKELPARAM(3, 3));
}

void OpenDialog::PressAt(int x, int y, DWORD down, DWORD up) const {
  const POINT p = OnScreen(x, y);
  // The press goes where the cursor is once it has arrived there.
  WaitUntil(
      [&] {
        POINT now{};
        MoveCursor(p.x, p.y);
        return ::GetCursorPos(&now) && now.x == p.x && now.y == p.y && ::WindowFromPoint(p) != nullptr &&
               ::GetAncestor(::WindowFromPoint(p), GA_ROOT) == Hwnd;
      },
      Settle);
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = down;
  input[1].mi.dwFlags = up;
  ::SendInput(2, input, sizeof(INPUT));
}

void OpenDialog::Press(ControlId id, DWORD down, DWORD up) const {
  const RECT r = Place(id);
  PressAt((r.left + r.right) / 2, (r.top + r.bottom) / 2, down, up);
}

void OpenDialog::Type(const std::wstring& text) const {
  const HWND field = ::FindWindowExW(Control(BGM_Repeat), nullptr, L"Edit", nullptr);
  ::SendMessageW(field, EM_SETSEL, 0, -1);
  for (wchar_t c : text) ::PostMessageW(field, WM_CHAR, c, 1);
}

}  // namespace e2e
