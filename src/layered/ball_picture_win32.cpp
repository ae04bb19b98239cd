#include "layered/ball_picture_win32.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "layered/picture_frames_win32.h"
#include "layered/picture_size.h"
#include "platform/file_read_win32.h"

namespace orbisette {
namespace {

// How long the run waits for its picture; a decode that takes longer is given
// up like a picture that cannot be read.
constexpr DWORD LongestDecode = 3000;  // milliseconds
// How often the wait asks whether the run has ended meanwhile.
constexpr DWORD WaitSlice = 20;  // milliseconds

// The size the file's headers declare, read through one handle. A file that
// cannot be read gives no bytes, and the codecs then fail on it as well.
DeclaredSize DeclaredSizeOfFile(const std::wstring& path) {
  const unique_handle file(
      NullIfInvalid(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
  const ReadBytesAt read = [&](std::uint64_t offset, std::span<std::uint8_t> into) {
    return ReadFileAt(file.get(), offset, into);
  };
  return DeclaredSizeOf(read);
}

// The picture decoded; null when its declared size or cost is refused, when it
// cannot be decoded, or when the decoder made it larger than its header said.
gdiplus::Image* Decode(const std::wstring& path) noexcept {
  // Every format's size and decode cost as declared, before the decoder sees
  // the file: read here for the formats read above, asked of the platform's
  // codecs for the others.
  const DeclaredSize declared = DeclaredSizeOfFile(path);
  if (!MayDecode(declared.KnownFormat ? declared : CodecPictureSize(path))) return nullptr;
  unique_gdip_image picture;
  if (GdipLoadImageFromFile(path.c_str(), picture.put()) != 0) return nullptr;
  PictureSize decodedSize;
  GdipGetImageWidth(picture.get(), &decodedSize.Width);
  GdipGetImageHeight(picture.get(), &decodedSize.Height);
  return FitsBallWindow(decodedSize) ? picture.release() : nullptr;
}

// What the decoding thread is given and gives back. When the run stops
// waiting, the thread keeps it, and with it GDI+, for as long as it runs.
struct DecodeJob {
  std::wstring Path;
  GdiplusSession Session;
  gdiplus::Image* Result = nullptr;
};

DWORD WINAPI DecodeThread(void* job) noexcept {
  auto* const decode = static_cast<DecodeJob*>(job);
  decode->Result = Decode(decode->Path);
  return 0;
}

// Waits for thread, asking stop between short slices; false after timeout
// milliseconds or as soon as stop says so.
bool WaitFor(HANDLE thread, DWORD timeout, const std::function<bool()>& stop) {
  const ULONGLONG start = ::GetTickCount64();
  for (ULONGLONG waited = 0; waited < timeout; waited = ::GetTickCount64() - start) {
    const auto slice = static_cast<DWORD>(std::min<ULONGLONG>(WaitSlice, timeout - waited));
    if (::WaitForSingleObject(thread, slice) == WAIT_OBJECT_0) return true;
    if (stop && stop()) return false;
  }
  return false;
}

}  // namespace

gdiplus::Image* BallPicture::Image() noexcept {
  if (Tried) return Picture.get();
  Tried = true;
  // Decoded on a thread of its own: a file that takes the decoder minutes
  // (thousands of scans or chunks) neither holds the run's end nor its start.
  auto job = std::make_unique<DecodeJob>(DecodeJob{Path, GdiplusSession::Join()});
  if (!job->Session) return nullptr;
  const unique_handle thread(::CreateThread(nullptr, 0, DecodeThread, job.get(), 0, nullptr));
  if (!thread) return nullptr;
  if (!WaitFor(thread.get(), LongestDecode, StopWaiting)) {
    (void)job.release();  // the thread's now; the process's end stops it
    return nullptr;
  }
  Session = std::move(job->Session);
  Picture.reset(job->Result);
  return Picture.get();
}

}  // namespace orbisette
