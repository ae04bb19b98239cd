#include "preview/preview_window_win32.h"

#include <objbase.h>

#include <cstring>
#include <unordered_map>
#include <utility>

#include "platform/resource_ids.h"
#include "platform/screen_win32.h"

namespace orbisette {
namespace {

// Black comes from the painting, not from a class brush: no system colour is
// black for certain.
constexpr WindowClass PreviewClass{L"Orbisette_R", 0};

// How often the host's box is looked for. The host may die without a word to
// this process (its box and our window then vanish without WM_DESTROY), so a
// timer of the thread, not of the window, asks; the process ends within a
// fraction of a second of the box going.
constexpr UINT HostWatchInterval = 100;

// The previews whose hosts are watched, by thread-timer id: a thread timer's
// callback gets nothing but its id.
std::unordered_map<UINT_PTR, PreviewForm*>& Watched() {
  static std::unordered_map<UINT_PTR, PreviewForm*> watched;
  return watched;
}

// The resource's bytes in a stream of their own, which GDI+ reads as it pleases.
unique_com<IStream> PictureStream(HMODULE module) noexcept {
  const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(PreviewPictureResource), RT_RCDATA);
  const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  const DWORD size = found ? ::SizeofResource(module, found) : 0;
  if (!bytes || size == 0) return {};
  unique_hglobal copy(::GlobalAlloc(GMEM_MOVEABLE, size));
  void* const target = copy ? ::GlobalLock(copy.get()) : nullptr;
  if (!target) return {};
  std::memcpy(target, bytes, size);
  ::GlobalUnlock(copy.get());
  unique_com<IStream> stream;
  // The stream frees the copy when it is released.
  if (FAILED(::CreateStreamOnHGlobal(copy.get(), TRUE, stream.put()))) return {};
  copy.release();
  return stream;
}

}  // namespace

unique_hbitmap DecodePreviewPicture(HMODULE resources) noexcept {
  // Each object goes before the one it was made from: the bitmap, the stream, GDI+.
  const GdiplusSession gdiplus = GdiplusSession::Join();
  if (!gdiplus) return {};
  const unique_com<IStream> stream = PictureStream(resources);
  unique_gdip_image bitmap;
  if (!stream || GdipCreateBitmapFromStream(stream.get(), bitmap.put()) != 0) return {};
  unique_hbitmap picture;
  // A JPEG has no transparent pixel; the background given is opaque black all the same.
  if (GdipCreateHBITMAPFromBitmap(bitmap.get(), picture.put(), 0xFF000000) != 0) return {};
  return picture;
}

void PaintPreview(HDC dc, PixelSize box, HBITMAP picture) noexcept {
  const PreviewPaint paint = PreviewPaintFor(box);
  const auto black = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  auto fill = [&](const PixelRect& r) {
    const RECT area{r.Left, r.Top, r.Right, r.Bottom};
    if (!::IsRectEmpty(&area)) ::FillRect(dc, &area, black);
  };
  fill(paint.BlackRight);
  fill(paint.BlackBelow);
  const PixelRect& shown = paint.Picture;
  const unique_hdc pictureDC(picture ? ::CreateCompatibleDC(dc) : nullptr);
  if (!pictureDC) {
    fill(shown);  // no picture: the form's black all over
    return;
  }
  const unique_select_object selected(pictureDC.get(), picture);
  ::BitBlt(dc, shown.Left, shown.Top, shown.Right - shown.Left, shown.Bottom - shown.Top, pictureDC.get(), 0, 0,
           SRCCOPY);
}

PreviewForm::PreviewForm(std::function<void()> onEnded, HMODULE resources)
    : OnEnded(std::move(onEnded)), Resources(resources) {}

PreviewForm::~PreviewForm() { StopWatching(); }

bool PreviewForm::Embed(HWND host) noexcept {
  RECT hostRect{};
  ::GetWindowRect(host, &hostRect);  // a box that went meanwhile is refused below
  // The screen's twips per pixel on each axis, as the form runtime converts sizes.
  const TwipsPerPixel perPixel = ReadScreen().PerPixel;
  const PreviewTwips twips =
      PreviewSizeTwips(PixelRect{hostRect.left, hostRect.top, hostRect.right, hostRect.bottom}, perPixel);

  // WS_POPUP: no border and no caption bar, the picture is the whole window.
  if (!Create(PreviewClass, WindowCreation{.Caption = PreviewCaption, .Style = WS_POPUP})) return false;
  Picture = DecodePreviewPicture(Resources);
  // A child of the host's box. WS_POPUP goes as WS_CHILD comes, so that the box
  // is the window's parent to every caller that asks (GetParent among them).
  const LONG_PTR style = ::GetWindowLongPtrW(Handle(), GWL_STYLE);
  ::SetWindowLongPtrW(Handle(), GWL_STYLE, (style & ~WS_POPUP) | WS_CHILD);
  if (!::SetParent(Handle(), host)) return false;  // the box went meanwhile
  Host = host;

  // The form and its picture box alike, at the box's top-left.
  const PixelSize size = PreviewSizePixels(twips, perPixel);
  ::SetWindowPos(Handle(), nullptr, 0, 0, size.Width, size.Height, SWP_NOZORDER | SWP_NOACTIVATE);
  ::ShowWindow(Handle(), SW_SHOWNA);

  WatchTimer.reset(::SetTimer(nullptr, 0, HostWatchInterval, &PreviewForm::OnWatchTick));
  if (WatchTimer) Watched()[WatchTimer.get()] = this;
  return true;
}

LRESULT PreviewForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  switch (message) {
    case WM_ERASEBKGND: return 1;  // the painting covers every pixel
    case WM_PAINT: OnPaint(); return 0;
    case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wParam)); return 0;
    default: return Window::HandleMessage(message, wParam, lParam);
  }
}

void PreviewForm::OnPaint() noexcept {
  const unique_hdc_paint paint(Handle());
  Paint(paint.get());
}

void PreviewForm::Paint(HDC dc) noexcept {
  RECT inner{};
  ::GetClientRect(Handle(), &inner);
  PaintPreview(dc, PixelSize{inner.right - inner.left, inner.bottom - inner.top}, Picture.get());
}

void PreviewForm::OnDestroyed() noexcept {
  // Letting the object go is not the preview's end.
  if (Released()) {
    StopWatching();
  } else {
    End();
  }
}

void CALLBACK PreviewForm::OnWatchTick(HWND, UINT, UINT_PTR timer, DWORD) noexcept {
  const auto found = Watched().find(timer);
  if (found == Watched().end()) return;
  PreviewForm& preview = *found->second;
  // A host that died took our window with it, unannounced.
  if (!::IsWindow(preview.Host) || !::IsWindow(preview.Handle())) preview.End();
}

void PreviewForm::End() noexcept {
  if (Ended) return;
  Ended = true;
  StopWatching();
  if (OnEnded) OnEnded();
}

void PreviewForm::StopWatching() noexcept {
  Watched().erase(WatchTimer.get());
  WatchTimer.reset();
}

}  // namespace orbisette
