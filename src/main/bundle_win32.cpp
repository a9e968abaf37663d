// The one-file installer's stub on Windows: runs the distribution appended to this program.
#include <cstdlib>
#include <string>
#include <vector>

#include "bundle/bundle_runner.h"
#include "platform/win32/win32_bundle_system.h"
#include "platform/win32/windows_headers.h"
// After the bundle system: it names a method CreateFile, which <windows.h> would rename.
#include "platform/win32/system_library.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  setup::RestrictLibrarySearchToSystem();
  setup::Win32BundleSystem system;
  // The runtime library's split of the command line, argument 0 left out.
  const std::vector<std::string> arguments(__argv + (__argc > 0 ? 1 : 0), __argv + __argc);
  return setup::bundle::RunBundle(system, arguments);
}
