// The computer-wide lock of Setup.exe and Uninstall.exe.
#include "platform/win32/win32_machine_lock.h"

namespace setup {
namespace {

// In the global namespace: another user's session on the same computer counts too. Creating
// a mutex there needs no privilege, unlike a file mapping.
constexpr const char* kMutexName = "Global\\SetupEngineInstallation";

}  // namespace

bool Win32MachineLock::Acquire() {
  if (owned_) return true;
  HANDLE mutex = CreateMutexA(nullptr, FALSE, kMutexName);
  if (mutex == nullptr) {
    // Another user's program made it and its rights keep us out: it exists only while that
    // program runs.
    return GetLastError() != ERROR_ACCESS_DENIED;
  }
  mutex_.reset(mutex);
  const DWORD waited = WaitForSingleObject(mutex, 0);
  // An abandoned mutex: its holder ended without releasing it, and the lock is free.
  owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  if (!owned_) mutex_.reset();
  return owned_;
}

Win32MachineLock::~Win32MachineLock() {
  if (owned_) ReleaseMutex(mutex_.get());
}

}  // namespace setup
