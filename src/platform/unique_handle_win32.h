// Move-only owners for the Win32 handles the shell holds, one alias per kind,
// and guards for the calls that come in pairs. Each closes exactly once.
#pragma once

#include <windows.h>

#include <utility>

namespace orbisette {

template <typename T, auto Close>
class unique_any {
  static constexpr T Invalid = T{};

 public:
  unique_any() noexcept = default;
  explicit unique_any(T value) noexcept : value_(value) {}
  unique_any(const unique_any&) = delete;
  unique_any& operator=(const unique_any&) = delete;
  unique_any(unique_any&& other) noexcept : value_(other.release()) {}
  unique_any& operator=(unique_any&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~unique_any() { reset(); }

  T get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Invalid; }
  T release() noexcept { return std::exchange(value_, Invalid); }
  void reset(T value = Invalid) noexcept {
    T old = std::exchange(value_, value);
    if (old != Invalid) Close(old);
  }

 private:
  T value_ = Invalid;
};

inline void CloseHandleQuietly(HANDLE h) noexcept { ::CloseHandle(h); }
inline void DeleteDcQuietly(HDC dc) noexcept { ::DeleteDC(dc); }
inline void DeleteBitmapQuietly(HBITMAP bitmap) noexcept { ::DeleteObject(bitmap); }

using unique_handle = unique_any<HANDLE, CloseHandleQuietly>;
// CreateFile says "none" with INVALID_HANDLE_VALUE, most other calls with null;
// handles are held in the null form.
inline HANDLE NullIfInvalid(HANDLE h) noexcept { return h == INVALID_HANDLE_VALUE ? nullptr : h; }
using unique_hdc = unique_any<HDC, DeleteDcQuietly>;
using unique_hbitmap = unique_any<HBITMAP, DeleteBitmapQuietly>;

// GetDC / ReleaseDC.
class ScopedGetDC {
 public:
  explicit ScopedGetDC(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
  ScopedGetDC(const ScopedGetDC&) = delete;
  ScopedGetDC& operator=(const ScopedGetDC&) = delete;
  ~ScopedGetDC() {
    if (dc_) ::ReleaseDC(hwnd_, dc_);
  }
  HDC get() const noexcept { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

}  // namespace orbisette
