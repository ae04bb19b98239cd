// The named guard beside the window search. The window search cannot close the
// gap between two starts that come together (both search before either has a
// window); creating a named object can: of two processes that create it, only
// the first makes it. A run and the dialog hold it for their whole life; every
// other start only looks whether someone does.
#pragma once

#include "platform/unique_handle_win32.h"

namespace orbisette {

class InstanceGuard {
 public:
  // holds: take the guard for this process's life; otherwise only look.
  explicit InstanceGuard(bool holds) noexcept;
  InstanceGuard(const InstanceGuard&) = delete;
  InstanceGuard& operator=(const InstanceGuard&) = delete;

  // Another process held the guard already.
  bool HeldElsewhere() const { return Elsewhere; }

 private:
  unique_handle Mutex;  // ours while the process lives; closed with it
  bool Elsewhere = false;
};

}  // namespace orbisette
