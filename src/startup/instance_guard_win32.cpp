#include "startup/instance_guard_win32.h"

#include "platform/names.h"

namespace orbisette {
namespace {

// Whether the guard behind mutex is held by a live process. A holder that died
// without letting it go leaves it abandoned: the wait then hands it to us, as
// the platform documents, and it is free. Our wait owns it afterwards; the
// caller keeps or gives it back.
bool HeldByTheLiving(HANDLE mutex) {
  const DWORD waited = ::WaitForSingleObject(mutex, 0);
  return waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED;
}

}  // namespace

InstanceGuard::InstanceGuard(bool holds) noexcept {
  // A guard made by another user's process refuses us access: it is held all the same.
  ::SetLastError(ERROR_SUCCESS);
  if (holds) {
    Mutex.reset(::CreateMutexW(nullptr, TRUE, InstanceGuardName));
    const DWORD error = ::GetLastError();
    Elsewhere = (!Mutex && error == ERROR_ACCESS_DENIED) ||
                (Mutex && error == ERROR_ALREADY_EXISTS && HeldByTheLiving(Mutex.get()));
    if (Elsewhere) Mutex.reset();  // the other process's, not ours to keep
  } else {
    const unique_handle other(::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, InstanceGuardName));
    Elsewhere = other ? HeldByTheLiving(other.get()) : ::GetLastError() == ERROR_ACCESS_DENIED;
    if (other && !Elsewhere) ::ReleaseMutex(other.get());  // only looked
  }
}

}  // namespace orbisette
