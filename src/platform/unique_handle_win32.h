// Move-only owners for the Win32 and GDI+ handles the shell holds, one alias per
// kind, and guards for the calls that come in pairs. Each closes exactly once;
// none remembers an old object or a token by hand anywhere else.
#pragma once

#include <windows.h>

#include <utility>

#include "platform/gdiplus_flat_win32.h"

namespace orbisette {

template <typename T, auto Close>
class unique_any {
  static constexpr T Invalid = T{};

 public:
  unique_any() noexcept = default;
  explicit unique_any(T value) noexcept : Value(value) {}
  unique_any(const unique_any&) = delete;
  unique_any& operator=(const unique_any&) = delete;
  unique_any(unique_any&& other) noexcept : Value(other.release()) {}
  unique_any& operator=(unique_any&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~unique_any() { reset(); }

  T get() const noexcept { return Value; }
  explicit operator bool() const noexcept { return Value != Invalid; }
  T release() noexcept { return std::exchange(Value, Invalid); }
  void reset(T value = Invalid) noexcept {
    T old = std::exchange(Value, value);
    if (old != Invalid) Close(old);
  }

 private:
  T Value = Invalid;
};

inline void CloseHandleQuietly(HANDLE h) noexcept { ::CloseHandle(h); }
inline void DeleteDcQuietly(HDC dc) noexcept { ::DeleteDC(dc); }
inline void DeleteObjectQuietly(HGDIOBJ object) noexcept { ::DeleteObject(object); }
inline void DeleteBitmapQuietly(HBITMAP bitmap) noexcept { ::DeleteObject(bitmap); }
inline void DeleteFontQuietly(HFONT font) noexcept { ::DeleteObject(font); }
inline void DeleteBrushQuietly(HBRUSH brush) noexcept { ::DeleteObject(brush); }
inline void DestroyWindowQuietly(HWND hwnd) noexcept { ::DestroyWindow(hwnd); }
inline void ShutdownGdiplusQuietly(ULONG_PTR token) noexcept { GdiplusShutdown(token); }
inline void DisposeImageQuietly(gdiplus::Image* image) noexcept { GdipDisposeImage(image); }
inline void DeleteGraphicsQuietly(gdiplus::Graphics* graphics) noexcept { GdipDeleteGraphics(graphics); }

using unique_handle = unique_any<HANDLE, CloseHandleQuietly>;
// CreateFile says "none" with INVALID_HANDLE_VALUE, most other calls with null;
// handles are held in the null form.
inline HANDLE NullIfInvalid(HANDLE h) noexcept { return h == INVALID_HANDLE_VALUE ? nullptr : h; }
using unique_hdc = unique_any<HDC, DeleteDcQuietly>;
using unique_hbitmap = unique_any<HBITMAP, DeleteBitmapQuietly>;
using unique_hfont = unique_any<HFONT, DeleteFontQuietly>;
using unique_hbrush = unique_any<HBRUSH, DeleteBrushQuietly>;
using unique_hwnd = unique_any<HWND, DestroyWindowQuietly>;
// A GDI+ session: the token GdiplusStartup gave, shut down once.
using unique_gdiplus_token = unique_any<ULONG_PTR, ShutdownGdiplusQuietly>;
using unique_gdip_image = unique_any<gdiplus::Image*, DisposeImageQuietly>;
using unique_gdip_graphics = unique_any<gdiplus::Graphics*, DeleteGraphicsQuietly>;

// Starts a GDI+ session; empty when GDI+ could not start.
inline unique_gdiplus_token StartGdiplus() noexcept {
  const gdiplus::StartupInput input;
  ULONG_PTR token = 0;
  if (GdiplusStartup(&token, &input, nullptr) != 0 || token == 0) return {};
  return unique_gdiplus_token(token);
}

// GetDC / ReleaseDC.
class ScopedGetDC {
 public:
  explicit ScopedGetDC(HWND hwnd) noexcept : Hwnd(hwnd), Dc(::GetDC(hwnd)) {}
  ScopedGetDC(const ScopedGetDC&) = delete;
  ScopedGetDC& operator=(const ScopedGetDC&) = delete;
  ~ScopedGetDC() {
    if (Dc) ::ReleaseDC(Hwnd, Dc);
  }
  HDC get() const noexcept { return Dc; }

 private:
  HWND Hwnd;
  HDC Dc;
};

// BeginPaint / EndPaint, for WM_PAINT.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND hwnd) noexcept : Hwnd(hwnd), Dc(::BeginPaint(hwnd, &Paint)) {}
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  ~ScopedPaint() { ::EndPaint(Hwnd, &Paint); }
  HDC get() const noexcept { return Dc; }
  const RECT& Area() const noexcept { return Paint.rcPaint; }

 private:
  HWND Hwnd;
  PAINTSTRUCT Paint{};
  HDC Dc;
};

// SelectObject, and the earlier object put back when the guard goes. Movable, so
// that an object that keeps a bitmap selected for its life can hold one.
class unique_select_object {
 public:
  unique_select_object() noexcept = default;
  unique_select_object(HDC dc, HGDIOBJ object) noexcept
      : Dc(dc), Earlier(dc && object ? ::SelectObject(dc, object) : nullptr) {}
  unique_select_object(const unique_select_object&) = delete;
  unique_select_object& operator=(const unique_select_object&) = delete;
  unique_select_object(unique_select_object&& other) noexcept
      : Dc(std::exchange(other.Dc, nullptr)), Earlier(std::exchange(other.Earlier, nullptr)) {}
  unique_select_object& operator=(unique_select_object&& other) noexcept {
    if (this != &other) {
      reset();
      Dc = std::exchange(other.Dc, nullptr);
      Earlier = std::exchange(other.Earlier, nullptr);
    }
    return *this;
  }
  ~unique_select_object() { reset(); }
  // Puts the earlier object back now.
  void reset() noexcept {
    if (Dc && Earlier && Earlier != HGDI_ERROR) ::SelectObject(Dc, Earlier);
    Dc = nullptr;
    Earlier = nullptr;
  }

 private:
  HDC Dc = nullptr;
  HGDIOBJ Earlier = nullptr;
};

}  // namespace orbisette
