#include "layered/ball_picture_win32.h"

#include <array>
#include <cstdint>
#include <span>

#include "layered/picture_head.h"

namespace orbisette {
namespace {

// The file's first bytes, fewer when it is shorter; none when it cannot be read
// (the decoder then fails on it as well).
std::span<const std::uint8_t> ReadHead(const std::wstring& path, std::array<std::uint8_t, PngHeadLength>& buffer) {
  const unique_handle file(
      NullIfInvalid(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
  DWORD got = 0;
  if (!file || !::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return {};
  return std::span<const std::uint8_t>(buffer.data(), got);
}

}  // namespace

gdiplus::Image* BallPicture::Image() noexcept {
  if (Tried) return Picture.get();
  Tried = true;
  std::array<std::uint8_t, PngHeadLength> head{};
  if (CheckPictureHead(ReadHead(Path, head)) == PictureCheck::Refuse) return nullptr;
  Session = StartGdiplus();
  if (!Session || GdipLoadImageFromFile(Path.c_str(), Picture.put()) != 0) return nullptr;
  // Another format under the name (a BMP, a JPEG) is judged by its decoded size.
  PictureSize size;
  GdipGetImageWidth(Picture.get(), &size.Width);
  GdipGetImageHeight(Picture.get(), &size.Height);
  if (!FitsBallWindow(size)) Picture.reset();
  return Picture.get();
}

}  // namespace orbisette
