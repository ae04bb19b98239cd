// The settings dialog driven from outside, as the host and a user meet it: one
// started dialog found by its title, its controls found at the places the
// dialog's design gives them, read and pressed through the Win32 API.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "dialog/dialog_controls.h"
#include "harness.h"

namespace e2e {

using orbisette::ControlId;
using enum orbisette::ControlId;

// How long the dialog is given to show what a step changed.
constexpr auto Settle = 5s;

using Colour = std::array<int, 3>;
Colour ScreenPixel(POINT p);

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
  OpenDialog(const AppFolder& app, const std::wstring& arguments = L"/c");
  bool Shown() const { return Hwnd && ::IsWindowVisible(Hwnd); }
  bool Closes() { return Process.WaitForExit(Settle); }

  static RECT Place(ControlId id);
  RECT ClientRectOf(HWND child) const;
  HWND Control(ControlId id) const;
  POINT OnScreen(int x, int y) const;

  // Asked of the control itself: the caption kept outside the process is not the combo's field.
  std::wstring Text(ControlId id) const;
  bool Enabled(ControlId id) const { return ::IsWindowEnabled(Control(id)); }
  int SpeedBar() const { return static_cast<int>(::SendMessageW(Control(VS_Fast), SBM_GETPOS, 0, 0)); }
  // Waits until the mark shows on (the inside of the box blue) or off, with its
  // right border (which the focus rectangle leaves alone) drawn; true when it does.
  bool MarkShows(ControlId id, bool on) const;
  // The control with the keyboard focus (the combo's field counts as the combo).
  std::optional<ControlId> Focus() const;

  void Post(ControlId id, UINT down, UINT up) const;
  void Click(ControlId id) const { ::PostMessageW(Control(id), BM_CLICK, 0, 0); }
  // A real press of a mouse button, at a client point or a control's centre.
  void PressAt(int x, int y, DWORD down, DWORD up) const;
  void Press(ControlId id, DWORD down, DWORD up) const;
  void Type(const std::wstring& text) const;

  SaverProcess Process;
  HWND Hwnd = nullptr;
};

}  // namespace e2e
