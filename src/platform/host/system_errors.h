// Win32 error codes on the host: from errno values, and the system's English message texts.
#pragma once

#include <string>

#include "platform/win32_types.h"

namespace setup {

// The one mapping from an errno value to the Win32 error code Windows gives for the same fault.
[[nodiscard]] Win32Error Win32ErrorFromErrno(int error);

// The C runtime's errno for a Win32 error found before any system call (a path that cannot be
// mapped), as the Windows runtime's fopen would set it.
[[nodiscard]] int ErrnoFromWin32Error(Win32Error error);

// FormatMessageA's text for a Win32 error code in English Windows, ending in "\r\n"; empty for
// codes without a text here.
[[nodiscard]] std::string SystemMessageText(Win32Error error);

// strerror's text for an errno value.
[[nodiscard]] std::string CrtErrorText(int error);

}  // namespace setup
