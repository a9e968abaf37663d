// The one place where a Win32 call's outcome becomes our Win32Error.
#include "platform/win32/win32_error.h"

#include "platform/win32/windows_headers.h"

namespace setup {

Win32Error Win32Result(bool succeeded) {
  if (succeeded) return kErrorSuccess;
  const DWORD error = GetLastError();
  return error != 0 ? static_cast<Win32Error>(error) : kErrorInvalidParameter;
}

}  // namespace setup
