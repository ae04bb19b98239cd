#include "layered/orbisette_layered_win32.h"

#include "platform/gdiplus_flat_win32.h"
#include "platform/names.h"
#include "platform/numeric.h"

namespace orbisette {

OrbisetteLayered::OrbisetteLayered() : Gdiplus(GdiplusSession::Join()) {
  if (!Gdiplus) ::MessageBoxW(nullptr, L"Error loading GDI+!", L"GDI Plus Error", MB_OK | MB_ICONERROR);
}

OrbisetteLayered::~OrbisetteLayered() { UnloadPNGForm(); }

void OrbisetteLayered::MakeTrans(BallPicture& picture, HWND window) {
  if (MakeSurface(window) && DrawPicture(picture)) ShowLayered(window);
}

// A 32-bit bitmap the size of the window's inner area, selected into a memory DC.
bool OrbisetteLayered::MakeSurface(HWND window) {
  RECT inner{};
  ::GetClientRect(window, &inner);
  const LONG width = inner.right - inner.left;
  const LONG height = inner.bottom - inner.top;

  // A 32-bit DIB stored bottom-up, one zero colour entry after the header.
  struct {
    BITMAPINFOHEADER Header;
    RGBQUAD Colour;
  } info{};
  info.Header.biSize = sizeof(BITMAPINFOHEADER);
  info.Header.biWidth = width;
  info.Header.biHeight = height;
  info.Header.biPlanes = 1;
  info.Header.biBitCount = 32;
  info.Header.biCompression = BI_RGB;
  const auto sizeImage = RoundToInt32(32.0 / 8.0 * static_cast<double>(width) * static_cast<double>(height));
  if (!sizeImage) return false;  // a window too large for one bitmap: nothing is made
  info.Header.biSizeImage = static_cast<DWORD>(*sizeImage);

  {
    unique_hdc_window windowDC(window);
    MemDC.reset(::CreateCompatibleDC(windowDC.get()));
  }
  // All zero, fully transparent black, until the picture is drawn.
  DibBitmap.reset(
      ::CreateDIBSection(MemDC.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, nullptr, nullptr, 0));
  OldBitmap = unique_select_object(MemDC.get(), DibBitmap.get());
  return true;
}

// The picture into the bitmap; a failure is shown in a message box.
bool OrbisetteLayered::DrawPicture(BallPicture& picture) {
  // The GDI+ objects of this call go on every way out; the picture stays with its owner.
  unique_gdip_graphics graphics;
  if (!Gdiplus || GdipCreateFromHDC(MemDC.get(), graphics.put()) != 0) {
    ::MessageBoxW(nullptr, L"イメージの取得に失敗しました1", ProgramTitle, MB_OK);
    return false;
  }
  // Missing, undecodable, or far too large for a ball window.
  gdiplus::Image* const image = picture.Image();
  if (!image) {
    ::MessageBoxW(nullptr, L"イメージの取得に失敗しました2", ProgramTitle, MB_OK);
    return false;
  }
  UINT imageWidth = 0;
  UINT imageHeight = 0;
  GdipGetImageHeight(image, &imageHeight);
  GdipGetImageWidth(image, &imageWidth);
  // Its own size at the top-left: a larger picture is cut, a smaller one leaves
  // a transparent band at the right and bottom.
  GdipDrawImageRect(graphics.get(), image, 0.0f, 0.0f, static_cast<float>(imageWidth), static_cast<float>(imageHeight));
  return true;
}

// The window made layered and topmost, showing the bitmap; it stays for the window's life.
void OrbisetteLayered::ShowLayered(HWND window) {
  // WS_EX_LAYERED: the system shows the bitmap handed over below, with its alpha.
  const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
  ::SetWindowLongPtrW(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
  // Above every window that is not topmost itself.
  ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

  RECT inner{};
  ::GetClientRect(window, &inner);
  POINT source{0, 0};
  SIZE size{inner.right - inner.left, inner.bottom - inner.top};
  BlendFunc.BlendOp = AC_SRC_OVER;
  BlendFunc.BlendFlags = 0;
  BlendFunc.SourceConstantAlpha = 255;
  BlendFunc.AlphaFormat = AC_SRC_ALPHA;  // the bitmap carries premultiplied alpha

  unique_hdc_window windowDC(window);
  ::UpdateLayeredWindow(window, windowDC.get(), nullptr, &size, MemDC.get(), &source, 0, &BlendFunc, ULW_ALPHA);
}

void OrbisetteLayered::UnloadPNGForm() {
  // GDI+ first, then the earlier bitmap back, the bitmap, and its DC last.
  Gdiplus.reset();
  OldBitmap.reset();
  DibBitmap.reset();
  MemDC.reset();
}

}  // namespace orbisette
