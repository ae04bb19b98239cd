#include "layered/picture_frames_win32.h"

#include <windows.h>
// after <windows.h>
#include <wincodec.h>

#include <algorithm>

#include "platform/unique_handle_win32.h"

namespace orbisette {
namespace {

// A picture of more frames than this is no ball picture: it is refused unread.
constexpr UINT MostFramesChecked = 64;

// COM on this thread for as long as it lives, if it was not there already.
class ComScope {
 public:
  ComScope() noexcept : Started(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (Started) ::CoUninitialize();
  }

 private:
  bool Started;
};

}  // namespace

DeclaredSize CodecPictureSize(const std::wstring& path) noexcept {
  // Another mode set on this thread still lets the factory be made.
  const ComScope com;
  unique_com<IWICImagingFactory> factory;
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.put())))) {
    return {};
  }
  unique_com<IWICBitmapDecoder> decoder;
  // Only the header is read here; the pixels wait for a frame's CopyPixels, which never comes.
  if (FAILED(factory.get()->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                      WICDecodeMetadataCacheOnDemand, decoder.put()))) {
    return {};
  }
  UINT frames = 0;
  if (FAILED(decoder.get()->GetFrameCount(&frames)) || frames == 0 || frames > MostFramesChecked) return {};
  PictureSize largest;
  for (UINT i = 0; i < frames; ++i) {
    unique_com<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder.get()->GetFrame(i, frame.put()))) return {};
    UINT width = 0, height = 0;
    if (FAILED(frame.get()->GetSize(&width, &height))) return {};
    largest = {std::max(largest.Width, width), std::max(largest.Height, height)};
  }
  return {true, largest, FramesCost(frames, largest)};
}

}  // namespace orbisette
