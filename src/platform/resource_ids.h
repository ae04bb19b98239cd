// Ids of the resources built into Orbisette.scr, shared by orbisette.rc and the
// code that loads them. The resource compiler reads only the preprocessor, so
// each id is a macro first and a named constant for C++ after.
#pragma once

// The preview picture: the JPEG bytes as they are in assets/preview.jpg.
#define ORBISETTE_PREVIEW_PICTURE 101
// The settings dialog's marks: the empty box (off) and the box filled blue (on).
#define ORBISETTE_MARK_OFF 102
#define ORBISETTE_MARK_ON 103

#ifndef RC_INVOKED
namespace orbisette {
inline constexpr int PreviewPictureResource = ORBISETTE_PREVIEW_PICTURE;
inline constexpr int MarkOffResource = ORBISETTE_MARK_OFF;
inline constexpr int MarkOnResource = ORBISETTE_MARK_ON;
}  // namespace orbisette
#endif
