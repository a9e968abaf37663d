// Where the tests find the Windows program that the build made beside them.
#include "support/win32/setup_exe.h"

#include "platform/win32/windows_headers.h"

namespace setup::testing {

std::string SetupExePath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string text(path, length < MAX_PATH ? length : 0);
  for (int level = 0; level < 2; ++level) {
    const std::size_t slash = text.find_last_of("\\/");
    text = slash == std::string::npos ? std::string(".") : text.substr(0, slash);
  }
  return text + "\\Setup.exe";
}

}  // namespace setup::testing
