// The settings dialog driven from outside as the host and a user meet it: found by its
// title, its controls found at the places its design gives, read and pressed by message.
#pragma once

#include <gtest/gtest.h>

#include <array>

#include "dialog/dialog_controls.h"
#include "harness.h"

namespace e2e {

using orbisette::ControlId;
using enum orbisette::ControlId;

constexpr auto Settle = 5s;

using Colour = std::array<int, 3>;
inline Colour ScreenPixel(POINT p) {
  const HDC screen = ::GetDC(nullptr);
  const COLORREF c = ::GetPixel(screen, p.x, p.y);
  ::ReleaseDC(nullptr, screen);
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

// The controls as the dialog's design places them, in client pixels at 96 DPI
// (15 twips a pixel); a control on the panel, whose edge starts at (12, 16),
// lies 2 pixels further in. The combo box's height is its font's.
struct DesignRow {
  ControlId Id;
  RECT Place;  // left, top, right, bottom
  const wchar_t* Caption;
};
constexpr DesignRow Design[] = {
    {lbl_15, {34, 42, 145, 55}, L"BGM"},
    {Img_BGM_1, {34, 74, 47, 87}, L""},
    {lbl_BGM_1, {50, 74, 93, 87}, L"音楽CD"},
    {BGM_Repeat, {106, 70, 147, 90}, L""},
    {lbl_14, {150, 74, 216, 87}, L"曲目をﾘﾋﾟｰﾄ"},
    {Img_BGM_0, {34, 94, 47, 107}, L""},
    {lbl_BGM_0, {50, 94, 73, 107}, L"無し"},
    {Img_BGM_2, {34, 114, 47, 127}, L""},
    {lbl_BGM_2, {50, 114, 110, 127}, L"MP3、WAV"},
    {Cmd_BGM, {50, 134, 79, 155}, L"..."},
    {lbl_Fname, {82, 134, 439, 163}, L""},
    {lbl_0, {266, 42, 377, 55}, L"移動の速さ"},
    {VS_Fast, {390, 38, 407, 79}, L""},
    {lbl_Fast, {414, 58, 428, 71}, L""},
    {lbl_1, {266, 94, 377, 107}, L"衝突時"},
    {Img_Hanpatu, {390, 98, 403, 111}, L""},
    {lbl_Hanpatu, {406, 98, 432, 111}, L"反撥"},
    {Cmd_Etc, {192, 200, 317, 225}, L"その他の作品集"},
    {Cmd_Set, {320, 200, 393, 225}, L"設定"},
    {Cmd_Can, {396, 200, 465, 225}, L"ｷｬﾝｾﾙ"},
    {lbl_Credit, {12, 196, 177, 209}, L"Ver.1.0.0"},  // the credit line ends with the version
};

// One started dialog, found by its title; its controls found at the places the table gives.
class OpenDialog {
 public:
  OpenDialog(const AppFolder& app, const std::wstring& arguments = L"/c") : Process(app.Program(), arguments) {
    WaitUntil([&] { return (Hwnd = ::FindWindowW(nullptr, L"<Orbisette>")) && ::IsWindowVisible(Hwnd); }, 10s, 5ms);
  }
  bool Shown() const { return Hwnd && ::IsWindowVisible(Hwnd); }
  bool Closes() { return Process.WaitForExit(Settle); }

  static RECT Place(ControlId id) {
    for (const DesignRow& row : Design) {
      if (row.Id == id) return row.Place;
    }
    ADD_FAILURE() << "no design row for control " << static_cast<int>(id);
    return {};
  }
  RECT ClientRectOf(HWND child) const {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, Hwnd, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  HWND Control(ControlId id) const {
    for (HWND child = ::GetWindow(Hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      const RECT r = ClientRectOf(child);
      if (r.left == Place(id).left && r.top == Place(id).top) return child;
    }
    return nullptr;
  }
  POINT OnScreen(int x, int y) const {
    POINT p{x, y};
    ::ClientToScreen(Hwnd, &p);
    return p;
  }

  // Asked of the control itself: the caption kept outside the process is not the combo's field.
  std::wstring Text(ControlId id) const {
    wchar_t text[512] = {};
    ::SendMessageW(Control(id), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
  }
  bool Enabled(ControlId id) const { return ::IsWindowEnabled(Control(id)); }
  int SpeedBar() const { return static_cast<int>(::SendMessageW(Control(VS_Fast), SBM_GETPOS, 0, 0)); }
  // Waits until the mark shows on (the inside of the box blue) or off, with its
  // right border (which the focus rectangle leaves alone) drawn; true when it does.
  bool MarkShows(ControlId id, bool on) const {
    const RECT r = Place(id);
    return WaitUntil(
        [&] {
          return ScreenPixel(OnScreen(r.left + 11, r.top + 6)) == Colour{64, 64, 72} &&
                 (ScreenPixel(OnScreen(r.left + 6, r.top + 6)) == Colour{0, 0, 255}) == on;
        },
        Settle);
  }
  // The control with the keyboard focus (the combo's field counts as the combo).
  std::optional<ControlId> Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(Hwnd, nullptr), &info);
    for (const DesignRow& row : Design) {
      const HWND control = Control(row.Id);
      if (control && (info.hwndFocus == control || ::IsChild(control, info.hwndFocus))) return row.Id;
    }
    return std::nullopt;
  }

  void Post(ControlId id, UINT down, UINT up) const {
    ::PostMessageW(Control(id), down, 0, MAKELPARAM(3, 3));
    ::PostMessageW(Control(id), up, 0, MAKELPARAM(3, 3));
  }
  void Click(ControlId id) const { ::PostMessageW(Control(id), BM_CLICK, 0, 0); }
  // A real press of a mouse button, at a client point or a control's centre.
  void PressAt(int x, int y, DWORD down, DWORD up) const {
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
  void Press(ControlId id, DWORD down, DWORD up) const {
    const RECT r = Place(id);
    PressAt((r.left + r.right) / 2, (r.top + r.bottom) / 2, down, up);
  }
  void Type(const std::wstring& text) const {
    const HWND field = ::FindWindowExW(Control(BGM_Repeat), nullptr, L"Edit", nullptr);
    ::SendMessageW(field, EM_SETSEL, 0, -1);
    for (wchar_t c : text) ::PostMessageW(field, WM_CHAR, c, 1);
  }

  SaverProcess Process;
  HWND Hwnd = nullptr;
};

}  // namespace e2e
