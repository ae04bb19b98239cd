#include "layered/ball_picture_win32.h"

#include <array>
#include <cstdint>
#include <span>

#include "layered/picture_frames_win32.h"
#include "layered/picture_head.h"
#include "layered/picture_size.h"
#include "platform/file_read_win32.h"

namespace orbisette {
namespace {

// The size the file's headers declare, read through one handle; none for a PNG
// whose header the head check refuses. A file that cannot be read gives no
// bytes, and the codecs then fail on it as well.
DeclaredSize DeclaredSizeOfFile(const std::wstring& path) {
  const unique_handle file(
      NullIfInvalid(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
  const ReadBytesAt read = [&](std::uint64_t offset, std::span<std::uint8_t> into) {
    return ReadFileAt(file.get(), offset, into);
  };
  std::array<std::uint8_t, PngHeadLength> head{};
  const std::span<const std::uint8_t> first(head.data(), read(0, head));
  if (CheckPictureHead(first) == PictureCheck::Refuse) return {true, std::nullopt};
  return DeclaredSizeOf(read);
}

}  // namespace

gdiplus::Image* BallPicture::Image() noexcept {
  if (Tried) return Picture.get();
  Tried = true;
  // Every format's size and decode cost as declared, before the decoder sees
  // the file: read here for the formats read above, asked of the platform's
  // codecs for the others.
  const DeclaredSize declared = DeclaredSizeOfFile(Path);
  if (!MayDecode(declared.KnownFormat ? declared : CodecPictureSize(Path))) return nullptr;
  Session = StartGdiplus();
  if (!Session || GdipLoadImageFromFile(Path.c_str(), Picture.put()) != 0) return nullptr;
  // The decoder may still make a picture of another size than the header declared.
  PictureSize decodedSize;
  GdipGetImageWidth(Picture.get(), &decodedSize.Width);
  GdipGetImageHeight(Picture.get(), &decodedSize.Height);
  if (!FitsBallWindow(decodedSize)) Picture.reset();
  return Picture.get();
}

}  // namespace orbisette
