// The size a ball picture's file declares, read from its headers before any
// pixel is decoded, for the formats whose decoders take the whole picture in
// at once: PNG, JPEG, BMP, GIF and ICO. A file of a few hundred bytes can
// declare a picture of gigabytes, and some decoders allocate and fill all of
// it before anyone can ask its size. Portable.
#pragma once

#include <cstdint>
#include <optional>

#include "layered/picture_head.h"
#include "platform/read_at.h"

namespace orbisette {

struct DeclaredSize {
  bool KnownFormat = false;  // PNG, JPEG, BMP, GIF or ICO by its first bytes
  // The largest width and height among its pictures; empty when a known
  // format's headers do not say (cut short, broken).
  std::optional<PictureSize> Size;
};
DeclaredSize DeclaredSizeOf(const ReadBytesAt& read);

}  // namespace orbisette
