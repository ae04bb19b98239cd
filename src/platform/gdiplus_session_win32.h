// The process's one GDI+ session. The first holder starts it and the last one
// to let go shuts it down, so the run's picture and its ten ball windows, or
// the preview's picture, all draw in the same session.
#pragma once

#include <windows.h>

namespace orbisette {

class GdiplusSession {
 public:
  // Holds nothing.
  GdiplusSession() noexcept = default;
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  GdiplusSession(GdiplusSession&& other) noexcept;
  GdiplusSession& operator=(GdiplusSession&& other) noexcept;
  ~GdiplusSession() { reset(); }

  // A hold on the session, started now when nobody holds it; empty when GDI+
  // could not start.
  static GdiplusSession Join() noexcept;
  explicit operator bool() const noexcept { return Holds; }
  // Lets go of the session; the last holder's letting go shuts GDI+ down.
  void reset() noexcept;

 private:
  bool Holds = false;
};

}  // namespace orbisette
