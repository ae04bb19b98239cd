#include "startup/instance_guard_win32.h"

#include "platform/names.h"

namespace orbisette {

InstanceGuard::InstanceGuard(bool holds) noexcept {
  // A guard made by another user's process refuses us access: it is held all the same.
  ::SetLastError(ERROR_SUCCESS);
  if (holds) {
    Mutex.reset(::CreateMutexW(nullptr, TRUE, InstanceGuardName));
    const DWORD error = ::GetLastError();
    Elsewhere = error == ERROR_ALREADY_EXISTS || (!Mutex && error == ERROR_ACCESS_DENIED);
    if (Elsewhere) Mutex.reset();  // the other process's, not ours to keep
  } else {
    const unique_handle other(::OpenMutexW(SYNCHRONIZE, FALSE, InstanceGuardName));
    Elsewhere = other || ::GetLastError() == ERROR_ACCESS_DENIED;
  }
}

}  // namespace orbisette
