// A picture file's size as the platform's imaging codecs read it from the
// file's header, for the formats (TIFF among them) whose decoders leave the
// pixels until they are asked for: a small file may declare a picture of
// gigabytes, and decoding it whole would take the memory and the seconds before
// its size could be judged.
#pragma once

#include <optional>
#include <string>

#include "layered/picture_head.h"

namespace orbisette {

// The largest width and the largest height among the file's frames; nullopt when
// no codec takes the file or a frame's size cannot be read.
std::optional<PictureSize> CodecPictureSize(const std::wstring& path) noexcept;

}  // namespace orbisette
