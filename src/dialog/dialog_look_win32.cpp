#include "dialog/dialog_look_win32.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "dialog/dialog_look.h"

namespace orbisette {
namespace {

constexpr int MarkPicturePixels = 12;

// One surface's gradient into a 32-bit top-down image, one colour per pixel row.
void FillGradient(std::uint32_t* pixels, int stride, int rows, RECT area, GradientSurface surface,
                  double twipsPerPixelY) {
  area.left = std::max<LONG>(area.left, 0);
  area.top = std::max<LONG>(area.top, 0);
  area.right = std::min<LONG>(area.right, stride);
  area.bottom = std::min<LONG>(area.bottom, rows);
  if (area.right <= area.left || area.bottom <= area.top) return;
  const double scaleHeight = (area.bottom - area.top) * twipsPerPixelY;
  for (int row = 0; row < area.bottom - area.top; ++row) {
    const Rgb c = GradientColourOfRow(surface, row, scaleHeight, twipsPerPixelY);
    const auto value = static_cast<std::uint32_t>(c.Red << 16 | c.Green << 8 | c.Blue);
    std::fill_n(pixels + static_cast<std::ptrdiff_t>(area.top + row) * stride + area.left, area.right - area.left,
                value);
  }
}

// A 32-bit top-down bitmap (row 0 is the top) and where its pixels are.
unique_hbitmap TopDownBitmap(HDC screen, int width, int height, void*& bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return unique_hbitmap(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

RECT Inset(RECT r, int dx, int dy) {
  ::InflateRect(&r, -dx, -dy);
  return r;
}

void DrawFrames(HDC dc, std::span<const RECT> frames) {
  const unique_select_object pen(dc, ::GetStockObject(BLACK_PEN));
  const unique_select_object hollow(dc, ::GetStockObject(NULL_BRUSH));
  for (const RECT& frame : frames) ::Rectangle(dc, frame.left, frame.top, frame.right, frame.bottom);
}

}  // namespace

std::unique_ptr<Backdrop> DrawBackdrop(int width, int height, RECT panel, std::span<const RECT> frames,
                                       double twipsPerPixelY) {
  if (width <= 0 || height <= 0) return nullptr;
  void* bits = nullptr;
  const unique_hdc_window screen(nullptr);
  unique_hbitmap bitmap = TopDownBitmap(screen.get(), width, height, bits);
  unique_hdc dc(::CreateCompatibleDC(screen.get()));
  if (!bitmap || !bits || !dc) return nullptr;

  // The form's gradient, then the panel's inside its sunken edge.
  auto* pixels = static_cast<std::uint32_t*>(bits);
  FillGradient(pixels, width, height, {0, 0, width, height}, GradientSurface::Form, twipsPerPixelY);
  const RECT panelInside = Inset(panel, ::GetSystemMetrics(SM_CXEDGE), ::GetSystemMetrics(SM_CYEDGE));
  FillGradient(pixels, width, height, panelInside, GradientSurface::Panel, twipsPerPixelY);

  unique_select_object selection(dc.get(), bitmap.get());
  ::DrawEdge(dc.get(), &panel, EDGE_SUNKEN, BF_RECT);
  DrawFrames(dc.get(), frames);
  ::GdiFlush();
  unique_hbrush brush(::CreatePatternBrush(bitmap.get()));
  return std::make_unique<Backdrop>(Backdrop{std::move(dc), std::move(bitmap), std::move(selection), std::move(brush)});
}

void PaintMark(const DRAWITEMSTRUCT& item, HWND dialog, const Backdrop& backdrop, HBITMAP picture) {
  POINT origin{0, 0};
  ::MapWindowPoints(item.hwndItem, dialog, &origin, 1);
  const RECT& area = item.rcItem;
  ::BitBlt(item.hDC, area.left, area.top, area.right - area.left, area.bottom - area.top, backdrop.Dc.get(),
           origin.x + area.left, origin.y + area.top, SRCCOPY);
  const unique_hdc pictureDc(::CreateCompatibleDC(item.hDC));
  const unique_select_object selected(pictureDc.get(), picture);
  ::BitBlt(item.hDC, area.left, area.top, MarkPicturePixels, MarkPicturePixels, pictureDc.get(), 0, 0, SRCCOPY);
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &area);
}

HBRUSH PrepareLabel(HDC dc, HWND label, HWND dialog, const Backdrop& backdrop) {
  POINT origin{0, 0};
  ::MapWindowPoints(label, dialog, &origin, 1);
  ::SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
  return backdrop.Brush.get();
}

static_assert(ZoomAnimation == IDANI_CAPTION);

void Animate(HWND window, const ZoomRects& zoom) {
  const RECT from{zoom.From.Left, zoom.From.Top, zoom.From.Right, zoom.From.Bottom};
  const RECT to{zoom.To.Left, zoom.To.Top, zoom.To.Right, zoom.To.Bottom};
  ::DrawAnimatedRects(window, ZoomAnimation, &from, &to);
}

PixelRect WindowRectOf(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace orbisette
