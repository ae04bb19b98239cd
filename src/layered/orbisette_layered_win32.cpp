#include "layered/orbisette_layered_win32.h"

#include "layered/gdiplus_flat_win32.h"
#include "platform/numeric.h"

#include <utility>

namespace orbisette {
namespace {

constexpr BYTE kAcSrcOver = 0;   // AC_SRC_OVER
constexpr BYTE kAcSrcAlpha = 1;  // AC_SRC_ALPHA: the bitmap carries premultiplied alpha

// GDI+ objects of one MakeTrans call, released together on every way out.
struct DrawingObjects {
  gdiplus::Graphics* graphics = nullptr;
  gdiplus::Image* image = nullptr;
  ~DrawingObjects() {
    if (image) GdipDisposeImage(image);
    if (graphics) GdipDeleteGraphics(graphics);
  }
};

}  // namespace

OrbisetteLayered::OrbisetteLayered() {
  const gdiplus::StartupInput input;
  if (GdiplusStartup(&GdipToken, &input, nullptr) == 0) {
    gdiplusStarted_ = true;
  } else {
    ::MessageBoxW(nullptr, L"Error loading GDI+!", L"GDI Plus Error", MB_OK | MB_ICONERROR);
  }
}

OrbisetteLayered::~OrbisetteLayered() { UnloadPNGForm(); }

bool OrbisetteLayered::MakeTrans(const std::wstring& imagePath, HWND window) {
  RECT inner{};
  ::GetClientRect(window, &inner);
  const LONG width = inner.right - inner.left;
  const LONG height = inner.bottom - inner.top;

  // A 32-bit DIB stored bottom-up, one zero colour entry after the header.
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colour;
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = 32;
  info.header.biCompression = BI_RGB;
  const auto sizeImage = RoundToInt32(32.0 / 8.0 * static_cast<double>(width) * static_cast<double>(height));
  if (!sizeImage) return false;  // a window too large for one bitmap: nothing is made
  info.header.biSizeImage = static_cast<DWORD>(*sizeImage);

  {
    ScopedGetDC windowDC(window);
    MemDC.reset(::CreateCompatibleDC(windowDC.get()));
  }
  // All zero, fully transparent black, until the picture is drawn.
  DibBitmap.reset(::CreateDIBSection(MemDC.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, nullptr,
                                     nullptr, 0));
  OldBitmap = ::SelectObject(MemDC.get(), DibBitmap.get());

  DrawingObjects drawing;
  if (GdipCreateFromHDC(MemDC.get(), &drawing.graphics) != 0) {
    drawing.graphics = nullptr;
    ::MessageBoxW(nullptr, L"イメージの取得に失敗しました1", ProgramTitle, MB_OK);
    return false;
  }
  if (GdipLoadImageFromFile(imagePath.c_str(), &drawing.image) != 0) {
    drawing.image = nullptr;
    ::MessageBoxW(nullptr, L"イメージの取得に失敗しました2", ProgramTitle, MB_OK);
    return false;
  }
  UINT imageWidth = 0;
  UINT imageHeight = 0;
  GdipGetImageHeight(drawing.image, &imageHeight);
  GdipGetImageWidth(drawing.image, &imageWidth);
  // Its own size at the top-left: a larger picture is cut, a smaller one leaves
  // a transparent band at the right and bottom.
  GdipDrawImageRect(drawing.graphics, drawing.image, 0.0f, 0.0f, static_cast<float>(imageWidth),
                    static_cast<float>(imageHeight));

  // WS_EX_LAYERED: the system shows the bitmap handed over below, with its alpha.
  const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
  ::SetWindowLongPtrW(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
  // Above every window that is not topmost itself.
  ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

  ::GetClientRect(window, &inner);
  POINT source{0, 0};
  SIZE size{inner.right - inner.left, inner.bottom - inner.top};
  BlendFunc.BlendOp = kAcSrcOver;
  BlendFunc.BlendFlags = 0;
  BlendFunc.SourceConstantAlpha = 255;
  BlendFunc.AlphaFormat = kAcSrcAlpha;

  // The image and graphics go now; the bitmap stays for the window's life.
  GdipDisposeImage(std::exchange(drawing.image, nullptr));
  GdipDeleteGraphics(std::exchange(drawing.graphics, nullptr));

  ScopedGetDC windowDC(window);
  ::UpdateLayeredWindow(window, windowDC.get(), nullptr, &size, MemDC.get(), &source, 0, &BlendFunc, ULW_ALPHA);
  return false;
}

void OrbisetteLayered::UnloadPNGForm() {
  if (gdiplusStarted_) {
    GdiplusShutdown(GdipToken);
    gdiplusStarted_ = false;
  }
  if (MemDC && OldBitmap) ::SelectObject(MemDC.get(), OldBitmap);  // the earlier bitmap goes back
  OldBitmap = nullptr;
  DibBitmap.reset();
  MemDC.reset();
}

}  // namespace orbisette
