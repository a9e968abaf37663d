// Whether a Windows program's standard error is a console.
#include "platform/terminal.h"
#include "platform/win32/windows_headers.h"

namespace setup {

bool StandardErrorIsTerminal() {
  HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  // Only a console has a console mode; a pipe or a file answers no.
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

}  // namespace setup
