// The one place where a Win32 call's outcome becomes our Win32Error.
#pragma once

#include "platform/win32_types.h"

namespace setup {

// kErrorSuccess when the call succeeded, else its GetLastError() value (never 0: a failure the
// system left without a code reads as kErrorInvalidParameter, so it can never pass as success).
Win32Error Win32Result(bool succeeded);

}  // namespace setup
