// One installer or uninstaller at a time on the computer, through a named mutex held while it runs.
#pragma once

#include "platform/win32/scoped_handle.h"

namespace setup {

// Two programs at once would each raise or lower a shared library's count from the same stored
// value, and one change would be lost: Setup.exe and Uninstall.exe take this lock first and
// stop at once when another one holds it.
class Win32MachineLock {
 public:
  Win32MachineLock() = default;
  Win32MachineLock(const Win32MachineLock&) = delete;
  Win32MachineLock& operator=(const Win32MachineLock&) = delete;
  ~Win32MachineLock();

  // Takes the lock; false when another installer or uninstaller holds it. A system that offers
  // no such mutex at all has nothing to guard against, and the lock counts as taken.
  [[nodiscard]] bool Acquire();

 private:
  ScopedKernelHandle mutex_;
  bool owned_ = false;
};

// The text both programs give when the lock is held elsewhere.
inline constexpr const char* kMachineLockedText =
    "another installation or removal is running on this computer; start again when it has ended";

}  // namespace setup
