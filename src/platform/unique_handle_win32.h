// Move-only owners for the Win32 and GDI+ handles the shell holds, one alias per
// kind, and guards for the calls that come in pairs. Each closes exactly once;
// none remembers an old object or a token by hand anywhere else.
#pragma once

#include <windows.h>

#include <utility>

#include "platform/gdiplus_flat_win32.h"
#include "platform/gdiplus_session_win32.h"

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
  // For a call that hands the object back through a pointer: lets go of the
  // held one and gives the place the call writes to. A failing call leaves
  // null there, as GDI+ and COM calls do.
  T* put() noexcept {
    reset();
    return &Value;
  }
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
inline void DeleteBitmapQuietly(HBITMAP bitmap) noexcept { ::DeleteObject(bitmap); }
inline void DeleteFontQuietly(HFONT font) noexcept { ::DeleteObject(font); }
inline void DeleteBrushQuietly(HBRUSH brush) noexcept { ::DeleteObject(brush); }
inline void FindCloseQuietly(HANDLE search) noexcept { ::FindClose(search); }
inline void GlobalFreeQuietly(HGLOBAL memory) noexcept { ::GlobalFree(memory); }
inline void KillThreadTimerQuietly(UINT_PTR timer) noexcept { ::KillTimer(nullptr, timer); }
inline void DisposeImageQuietly(gdiplus::Image* image) noexcept { GdipDisposeImage(image); }
inline void DeleteGraphicsQuietly(gdiplus::Graphics* graphics) noexcept { GdipDeleteGraphics(graphics); }
template <typename T>
void ReleaseQuietly(T* object) noexcept {
  object->Release();
}

using unique_handle = unique_any<HANDLE, CloseHandleQuietly>;
// CreateFile says "none" with INVALID_HANDLE_VALUE, most other calls with null;
// handles are held in the null form.
inline HANDLE NullIfInvalid(HANDLE h) noexcept { return h == INVALID_HANDLE_VALUE ? nullptr : h; }
using unique_hdc = unique_any<HDC, DeleteDcQuietly>;
using unique_hbitmap = unique_any<HBITMAP, DeleteBitmapQuietly>;
using unique_hfont = unique_any<HFONT, DeleteFontQuietly>;
using unique_hbrush = unique_any<HBRUSH, DeleteBrushQuietly>;
// FindFirstFileExW's search, in the null form as well.
using unique_hfind = unique_any<HANDLE, FindCloseQuietly>;
using unique_hglobal = unique_any<HGLOBAL, GlobalFreeQuietly>;
// A timer of the thread (SetTimer without a window), by its id.
using unique_thread_timer = unique_any<UINT_PTR, KillThreadTimerQuietly>;
using unique_gdip_image = unique_any<gdiplus::Image*, DisposeImageQuietly>;
using unique_gdip_graphics = unique_any<gdiplus::Graphics*, DeleteGraphicsQuietly>;
// A COM object, released once.
template <typename T>
using unique_com = unique_any<T*, ReleaseQuietly<T>>;

// A window's timer: SetTimer on the window and KillTimer once, when it is
// killed or the guard goes. SetTimer has no flag to read back; On() is that flag.
class WindowTimer {
 public:
  WindowTimer() noexcept = default;
  WindowTimer(const WindowTimer&) = delete;
  WindowTimer& operator=(const WindowTimer&) = delete;
  ~WindowTimer() { Kill(); }
  // False when the system gave no timer.
  bool Set(HWND hwnd, UINT_PTR id, UINT interval) noexcept {
    Kill();
    if (::SetTimer(hwnd, id, interval, nullptr) == 0) return false;
    Hwnd = hwnd;
    Id = id;
    return true;
  }
  void Kill() noexcept {
    if (Hwnd) ::KillTimer(std::exchange(Hwnd, nullptr), Id);
  }
  bool On() const noexcept { return Hwnd != nullptr; }

 private:
  HWND Hwnd = nullptr;
  UINT_PTR Id = 0;
};

// EnableWindow off for as long as the guard holds the window, then on again:
// the owner of a modal window.
class unique_disabled_window {
 public:
  unique_disabled_window() noexcept = default;
  explicit unique_disabled_window(HWND hwnd) noexcept : Hwnd(hwnd) {
    if (Hwnd) ::EnableWindow(Hwnd, FALSE);
  }
  unique_disabled_window(const unique_disabled_window&) = delete;
  unique_disabled_window& operator=(const unique_disabled_window&) = delete;
  unique_disabled_window& operator=(unique_disabled_window&& other) noexcept {
    if (this != &other) {
      reset();
      Hwnd = std::exchange(other.Hwnd, nullptr);
    }
    return *this;
  }
  ~unique_disabled_window() { reset(); }
  // Gives the window its input back now.
  void reset() noexcept {
    if (Hwnd) ::EnableWindow(std::exchange(Hwnd, nullptr), TRUE);
  }

 private:
  HWND Hwnd = nullptr;
};

// Sets a flag for as long as it lives.
class unique_flag {
 public:
  explicit unique_flag(bool& flag) noexcept : Flag(flag) { Flag = true; }
  unique_flag(const unique_flag&) = delete;
  unique_flag& operator=(const unique_flag&) = delete;
  ~unique_flag() { Flag = false; }

 private:
  bool& Flag;
};

// The hourglass while something slow runs, the arrow after it; busy stays
// set meanwhile, for the window's WM_SETCURSOR to keep the hourglass.
class BusyCursor {
 public:
  explicit BusyCursor(bool& busy) noexcept : Busy(busy) { ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT)); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
  ~BusyCursor() { ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW)); }

 private:
  unique_flag Busy;
};

// GetDC / ReleaseDC.
class unique_hdc_window {
 public:
  explicit unique_hdc_window(HWND hwnd) noexcept : Hwnd(hwnd), Dc(::GetDC(hwnd)) {}
  unique_hdc_window(const unique_hdc_window&) = delete;
  unique_hdc_window& operator=(const unique_hdc_window&) = delete;
  ~unique_hdc_window() {
    if (Dc) ::ReleaseDC(Hwnd, Dc);
  }
  HDC get() const noexcept { return Dc; }

 private:
  HWND Hwnd;
  HDC Dc;
};

// BeginPaint / EndPaint, for WM_PAINT.
class unique_hdc_paint {
 public:
  explicit unique_hdc_paint(HWND hwnd) noexcept : Hwnd(hwnd), Dc(::BeginPaint(hwnd, &Paint)) {}
  unique_hdc_paint(const unique_hdc_paint&) = delete;
  unique_hdc_paint& operator=(const unique_hdc_paint&) = delete;
  ~unique_hdc_paint() { ::EndPaint(Hwnd, &Paint); }
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
