// The settings dialog "<Orbisette>" as data: the form's size and place, the
// font every caption uses, and one row per control (its name, kind, caption,
// rectangle in twips, whether it lies on the option panel, whether it takes the
// focus, what a click on it does). The window walks the table to create its
// controls and to answer their clicks, converting the twips with the screen's
// own factors, so the dialog scales with the DPI. Portable: no <windows.h>.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/twips.h"
#include "settings/settings.h"

namespace orbisette {

inline constexpr double DialogClientWidthTwips = 7185;
inline constexpr double DialogClientHeightTwips = 3660;

// Every caption: "ＭＳ Ｐゴシック", 9.75 pt (195 twips, 13 pixels at 96 DPI), regular.
inline constexpr std::wstring_view DialogFontFace = L"ＭＳ Ｐゴシック";
inline constexpr double DialogFontPoints = 9.75;
inline constexpr int DialogFontWeight = 400;

// One per control, named after the control it stands for; an array element
// carries its index after an underscore (Img_BGM(1) is Img_BGM_1).
enum class ControlId {
  Pic_C_0,
  lbl_15,
  Shape3_3,
  Img_BGM_1,
  lbl_BGM_1,
  BGM_Repeat,
  lbl_14,
  Img_BGM_0,
  lbl_BGM_0,
  Img_BGM_2,
  lbl_BGM_2,
  Cmd_BGM,
  lbl_Fname,
  lbl_0,
  Shape3_0,
  VS_Fast,
  lbl_Fast,
  lbl_1,
  Shape3_1,
  Img_Hanpatu,
  lbl_Hanpatu,
  Cmd_Etc,
  Cmd_Set,
  Cmd_Can,
  lbl_Credit,
};

enum class ControlKind {
  Panel,          // the option panel, a container with its own gradient
  Label,          // transparent static text
  BorderedLabel,  // static text in a single-line border
  Frame,          // a rectangle outline painted on the panel, not a window
  Mark,           // a 12 x 12 picture that acts as a radio button or a check box
  ComboBox,       // a drop-down list with an editable field
  ScrollBar,      // vertical
  Button,
};

struct TwipsRect {
  double Left = 0;
  double Top = 0;
  double Width = 0;
  double Height = 0;
};

struct PixelBox {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
};

// What a click on a control does: the mouse, space on a focused mark, Enter on
// a focused button. A choice answers a press of any mouse button as it goes down.
enum class ControlAction {
  None,
  Choose,  // the row's setting takes the row's value
  Toggle,  // the row's setting becomes 0 when it holds the row's value, else that value
  PickFile,
  OpenWebPage,
  Save,
  Cancel,
};

using SettingField = std::int16_t Settings::*;  // one of the settings a control changes

struct DialogControl {
  ControlId Id;
  std::string_view Name;  // as the form names it, "Img_BGM(1)"
  ControlKind Kind;
  std::wstring_view Caption;  // empty for controls without one
  TwipsRect Place;            // relative to the panel when OnPanel, else to the form's client area
  bool OnPanel;
  bool TakesFocus;  // a Tab stop
  ControlAction OnClick = ControlAction::None;
  // What Choose and Toggle change, and the value that shows a mark on.
  SettingField Setting = nullptr;
  std::int16_t Value = 0;
};

// The rows in creation order: the panel first, then its controls, then the
// form's own. Creating them in this order gives the Tab order.
std::span<const DialogControl> DialogControls();
const DialogControl& ControlRow(ControlId id);

// Enter presses "設定", Escape presses "ｷｬﾝｾﾙ".
inline constexpr ControlId DefaultButton = ControlId::Cmd_Set;
inline constexpr ControlId CancelButton = ControlId::Cmd_Can;

// A rectangle in pixels: each of the four lengths converted on its own axis.
PixelBox ToPixels(const TwipsRect& twips, TwipsPerPixel perPixel);

// The client area in pixels.
PixelBox DialogClientPixels(TwipsPerPixel perPixel);

// The caption font's height in pixels (13 at 96 DPI).
std::int32_t DialogFontPixels(TwipsPerPixel perPixel);

// Where the dialog's outer rectangle goes on a screen: centred across and a
// third of the way down. The differences are taken in twips and rounded, then
// integer-divided (by 2 across, by 3 down), and the result turned into pixels.
PixelPoint DialogPlacement(std::int32_t screenWidth, std::int32_t screenHeight, std::int32_t outerWidth,
                           std::int32_t outerHeight, TwipsPerPixel perPixel);

}  // namespace orbisette
