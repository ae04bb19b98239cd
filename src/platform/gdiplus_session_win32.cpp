#include "platform/gdiplus_session_win32.h"

#include <utility>

#include "platform/gdiplus_flat_win32.h"

namespace orbisette {
namespace {

// Every window and picture lives on the one UI thread: no lock.
int Holders = 0;
ULONG_PTR Token = 0;

}  // namespace

GdiplusSession::GdiplusSession(GdiplusSession&& other) noexcept : Holds(std::exchange(other.Holds, false)) {}

GdiplusSession& GdiplusSession::operator=(GdiplusSession&& other) noexcept {
  if (this != &other) {
    reset();
    Holds = std::exchange(other.Holds, false);
  }
  return *this;
}

GdiplusSession GdiplusSession::Join() noexcept {
  if (Holders == 0) {
    const gdiplus::StartupInput input;
    if (GdiplusStartup(&Token, &input, nullptr) != 0 || Token == 0) return {};
  }
  ++Holders;
  GdiplusSession session;
  session.Holds = true;
  return session;
}

void GdiplusSession::reset() noexcept {
  if (!std::exchange(Holds, false)) return;
  if (--Holders == 0) GdiplusShutdown(std::exchange(Token, 0));
}

}  // namespace orbisette
