#include "dialog/caption_font_win32.h"

#include <algorithm>
#include <string>
#include <vector>

#include "dialog/dialog_controls.h"

namespace orbisette {
namespace {

// Whether the font has a glyph for every letter of the captions and the numbers.
bool ShowsEveryCaption(HDC dc, HFONT font) {
  std::wstring text = L"0123456789.";
  for (const DialogControl& row : DialogControls()) text += row.Caption;
  std::vector<WORD> glyphs(text.size());
  unique_select_object selected(dc, font);
  return ::GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                            GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR &&
         std::find(glyphs.begin(), glyphs.end(), WORD{0xFFFF}) == glyphs.end();
}

}  // namespace

unique_hfont CreateCaptionFont(TwipsPerPixel perPixel) {
  LOGFONTW font{};
  font.lfHeight = -DialogFontPixels(perPixel);
  font.lfWeight = DialogFontWeight;
  font.lfCharSet = SHIFTJIS_CHARSET;
  DialogFontFace.copy(font.lfFaceName, LF_FACESIZE - 1);
  unique_hdc_window screen(nullptr);
  unique_hfont wanted(::CreateFontIndirectW(&font));
  if (!wanted || ShowsEveryCaption(screen.get(), wanted.get())) return wanted;

  struct Face {
    std::wstring Name;
    bool LikeWanted;
  };
  std::vector<Face> faces;
  LOGFONTW query{};
  query.lfCharSet = SHIFTJIS_CHARSET;
  ::EnumFontFamiliesExW(
      screen.get(), &query,
      [](const LOGFONTW* found, const TEXTMETRICW*, DWORD, LPARAM list) -> int {
        if (found->lfFaceName[0] != L'@') {  // '@' faces are for vertical text
          reinterpret_cast<std::vector<Face>*>(list)->push_back(
              {found->lfFaceName, found->lfPitchAndFamily == (FF_SWISS | VARIABLE_PITCH)});
        }
        return 1;
      },
      reinterpret_cast<LPARAM>(&faces), 0);
  // A proportional gothic face like the wanted one first.
  std::stable_partition(faces.begin(), faces.end(), [](const Face& face) { return face.LikeWanted; });
  for (const Face& face : faces) {
    face.Name.copy(font.lfFaceName, LF_FACESIZE - 1);
    font.lfFaceName[std::min<std::size_t>(face.Name.size(), LF_FACESIZE - 1)] = L'\0';
    unique_hfont substitute(::CreateFontIndirectW(&font));
    if (substitute && ShowsEveryCaption(screen.get(), substitute.get())) return substitute;
  }
  return wanted;
}

}  // namespace orbisette
