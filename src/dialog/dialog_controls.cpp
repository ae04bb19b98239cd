#include "dialog/dialog_controls.h"

#include "platform/numeric.h"

namespace orbisette {
namespace {

using enum ControlId;
using enum ControlKind;
using enum ControlAction;

// The heading frames (Shape3) sit under their heading labels; being painted,
// not created, they take no part in the Tab order.
constexpr DialogControl Controls[] = {
    {Pic_C_0, "Pic_C(0)", Panel, L"", {180, 240, 6795, 2535}, false, false},
    {lbl_15, "lbl(15)", Label, L"BGM", {300, 360, 1665, 195}, true, false},
    {Shape3_3, "Shape3(3)", Frame, L"", {300, 300, 1695, 315}, true, false},
    {Img_BGM_1, "Img_BGM(1)", Mark, L"", {300, 840, 195, 195}, true, true, Choose, &Settings::BgmKind, 1},
    {lbl_BGM_1, "lbl_BGM(1)", Label, L"音楽CD", {540, 840, 645, 195}, true, false, Choose, &Settings::BgmKind, 1},
    {BGM_Repeat, "BGM_Repeat", ComboBox, L"", {1380, 780, 615, 300}, true, true},
    {lbl_14, "lbl(14)", Label, L"曲目をﾘﾋﾟｰﾄ", {2040, 840, 990, 195}, true, false},
    {Img_BGM_0, "Img_BGM(0)", Mark, L"", {300, 1140, 195, 195}, true, true, Choose, &Settings::BgmKind, 0},
    {lbl_BGM_0, "lbl_BGM(0)", Label, L"無し", {540, 1140, 345, 195}, true, false, Choose, &Settings::BgmKind, 0},
    {Img_BGM_2, "Img_BGM(2)", Mark, L"", {300, 1440, 195, 195}, true, true, Choose, &Settings::BgmKind, 2},
    {lbl_BGM_2, "lbl_BGM(2)", Label, L"MP3、WAV", {540, 1440, 900, 195}, true, false, Choose, &Settings::BgmKind, 2},
    {Cmd_BGM, "Cmd_BGM", Button, L"...", {540, 1740, 435, 315}, true, true, PickFile},
    {lbl_Fname, "lbl_Fname", BorderedLabel, L"", {1020, 1740, 5355, 435}, true, false},
    {lbl_0, "lbl(0)", Label, L"移動の速さ", {3780, 360, 1665, 195}, true, false},
    {Shape3_0, "Shape3(0)", Frame, L"", {3780, 300, 1695, 315}, true, false},
    {VS_Fast, "VS_Fast", ScrollBar, L"", {5640, 300, 255, 615}, true, true},
    {lbl_Fast, "lbl_Fast", Label, L"", {6000, 600, 210, 195}, true, false},
    {lbl_1, "lbl(1)", Label, L"衝突時", {3780, 1140, 1665, 195}, true, false},
    {Shape3_1, "Shape3(1)", Frame, L"", {3780, 1080, 1695, 315}, true, false},
    {Img_Hanpatu, "Img_Hanpatu", Mark, L"", {5640, 1200, 195, 195}, true, true, Toggle, &Settings::Rebound, 1},
    {lbl_Hanpatu, "lbl_Hanpatu", Label, L"反撥", {5880, 1200, 390, 195}, true, false, Toggle, &Settings::Rebound, 1},
    {Cmd_Etc, "Cmd_Etc", Button, L"その他の作品集", {2880, 3000, 1875, 375}, false, true, OpenWebPage},
    {Cmd_Set, "Cmd_Set", Button, L"設定", {4800, 3000, 1095, 375}, false, true, Save},
    {Cmd_Can, "Cmd_Can", Button, L"ｷｬﾝｾﾙ", {5940, 3000, 1035, 375}, false, true, Cancel},
    {lbl_Credit, "lbl_Credit", Label, L"Orbisette  Ver.1.0.0", {180, 2940, 2475, 195}, false, false},
};

std::int32_t Pixels(double twips, double perPixel) { return TwipsToPixels(twips, perPixel).value_or(0); }

}  // namespace

std::span<const DialogControl> DialogControls() { return Controls; }

const DialogControl& ControlRow(ControlId id) {
  for (const DialogControl& row : Controls) {
    if (row.Id == id) return row;
  }
  return Controls[0];  // every id has a row; the table test holds it to that
}

PixelBox ToPixels(const TwipsRect& twips, TwipsPerPixel perPixel) {
  return {Pixels(twips.Left, perPixel.X), Pixels(twips.Top, perPixel.Y), Pixels(twips.Width, perPixel.X),
          Pixels(twips.Height, perPixel.Y)};
}

PixelBox DialogClientPixels(TwipsPerPixel perPixel) {
  return ToPixels({0, 0, DialogClientWidthTwips, DialogClientHeightTwips}, perPixel);
}

std::int32_t DialogFontPixels(TwipsPerPixel perPixel) { return Pixels(DialogFontPoints * 20, perPixel.Y); }

PixelPoint DialogPlacement(std::int32_t screenWidth, std::int32_t screenHeight, std::int32_t outerWidth,
                           std::int32_t outerHeight, TwipsPerPixel perPixel) {
  const std::int32_t spareX = RoundToInt32((screenWidth - outerWidth) * perPixel.X).value_or(0);
  const std::int32_t spareY = RoundToInt32((screenHeight - outerHeight) * perPixel.Y).value_or(0);
  return {Pixels(spareX / 2, perPixel.X), Pixels(spareY / 3, perPixel.Y)};
}

}  // namespace orbisette
