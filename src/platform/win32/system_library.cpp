// Loading libraries from the system directory alone.
#include "platform/win32/system_library.h"

#include <string>

namespace setup {
namespace {

// Not in older SDK headers, and the call itself is missing on systems without KB2533623.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

}  // namespace

void RestrictLibrarySearchToSystem() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  const auto setDefault =
      kernel == nullptr
          ? nullptr
          : reinterpret_cast<SetDefaultDllDirectoriesFunction>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault != nullptr && setDefault(kSearchSystem32)) return;
  // Older systems: at least take the current directory out of the search.
  SetDllDirectoryA("");
}

SystemLibrary::SystemLibrary(const char* name) {
  module_ = LoadLibraryExA(name, nullptr, kSearchSystem32);
  if (module_ != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return;
  // A system that does not know the flag: the full path in the system directory instead.
  char directory[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  const std::string path = std::string(directory, length) + "\\" + name;
  module_ = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

SystemLibrary::~SystemLibrary() {
  if (module_ != nullptr) FreeLibrary(module_);
}

}  // namespace setup
