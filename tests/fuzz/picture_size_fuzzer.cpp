// Fuzzes the ball picture's size reader against Debian's libraries reading the same headers, no pixel decoded: where
// one reads a size, ours knows the format and refuses the file or gives that size, or more where other images follow.
#include <gif_lib.h>
#include <png.h>
#include <tiffio.h>
#include <turbojpeg.h>

#include "input_file.h"
#include "layered/picture_size.h"

namespace {

struct Size {
  std::uint32_t Width = 0, Height = 0;  // none read when 0
  bool Whole = true;                    // false where more images may follow
};

Size PngSize(std::span<const uint8_t> bytes) {  // once libpng has read every chunk before the pixels
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  const bool read = png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()) != 0;
  png_image_free(&png);
  return read ? Size{png.width, png.height} : Size{};
}

Size JpegSize(std::span<const uint8_t> bytes) {  // once libjpeg-turbo has read every header before the first scan
  const tjhandle jpeg = tjInitDecompress();  // each time: a handle goes on with the header the last file left half read
  int width = 0, height = 0, subsampling = 0, colours = 0;
  tjDecompressHeader3(jpeg, bytes.data(), bytes.size(), &width, &height, &subsampling, &colours);
  tjDestroy(jpeg);
  return Size{static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
}

Size GifSize(int file) {  // the logical screen's; an image may be larger
  int error = 0;
  GifFileType* gif = DGifOpenFileHandle(dup(file), &error);
  if (!gif) return {};
  const Size size{static_cast<std::uint32_t>(gif->SWidth), static_cast<std::uint32_t>(gif->SHeight), false};
  DGifCloseFile(gif, &error);
  return size;
}

Size TiffSize(int file) {  // the first page's, whole when no other follows
  TIFF* tiff = lseek(file, 0, SEEK_SET) == 0 ? TIFFFdOpen(file, "input", "rO") : nullptr;
  Size size{0, 0, tiff && TIFFLastDirectory(tiff)};
  if (tiff) TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &size.Width), TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &size.Height);
  if (tiff) TIFFCleanup(tiff);  // and not TIFFClose: the file stays open
  return size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  [[maybe_unused]] static const bool quiet = (TIFFSetErrorHandler(nullptr), TIFFSetWarningHandler(nullptr), true);
  const int file = InputFile({data, size});
  const orbisette::DeclaredSize ours = orbisette::DeclaredSizeOf(ReadsOf(file));
  for (const Size& theirs : {PngSize({data, size}), JpegSize({data, size}), GifSize(file), TiffSize(file)}) {
    if (theirs.Width == 0) continue;
    FUZZ_CHECK(ours.KnownFormat);
    if (!orbisette::MayDecode(ours)) continue;
    FUZZ_CHECK(ours.Size->Width >= theirs.Width && ours.Size->Height >= theirs.Height);
    FUZZ_CHECK(!theirs.Whole || (ours.Size->Width == theirs.Width && ours.Size->Height == theirs.Height));
  }
  return 0;
}
