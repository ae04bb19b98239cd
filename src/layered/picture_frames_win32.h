// A picture file's size as the platform's imaging codecs read it from the
// file's header, for the formats (TIFF among them) whose decoders leave the
// pixels until they are asked for: a small file may declare a picture of
// gigabytes, and decoding it whole would take the memory and the seconds before
// its size could be judged.
#pragma once

#include <optional>
#include <string>

#include "layered/picture_size.h"

namespace orbisette {

// The largest width and the largest height among the file's frames, and the
// frames times that area as what decoding them may hold; no size when no codec
// takes the file, a frame's size cannot be read, or it has more frames than
// are read.
DeclaredSize CodecPictureSize(const std::wstring& path) noexcept;

}  // namespace orbisette
