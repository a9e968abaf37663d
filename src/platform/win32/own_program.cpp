// The running program's path on Windows: the module file name of the process's executable.
#include "platform/own_program.h"

#include "platform/win32/windows_headers.h"

namespace setup {

std::string OwnProgramPath() {
  // Room for long ANSI paths; a name the buffer cuts short is no path at all.
  char path[MAX_PATH * 4] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  return length == 0 || length >= sizeof path ? std::string() : std::string(path, length);
}

}  // namespace setup
