// Version resources on Windows through version.dll.
#include "platform/win32/win32_version_info.h"

#include "platform/win32/windows_headers.h"

namespace setup {

std::uint32_t Win32VersionInfo::GetFileVersionInfoSize(const std::string& path) {
  DWORD handle = 0;
  return GetFileVersionInfoSizeA(path.c_str(), &handle);
}

bool Win32VersionInfo::GetFileVersionInfo(const std::string& path, std::uint32_t size,
                                          void* block) {
  return GetFileVersionInfoA(path.c_str(), 0, size, block) != 0;
}

bool Win32VersionInfo::QueryRootValue(const void* block, const void** record,
                                      std::uint32_t* length) {
  void* value = nullptr;
  UINT size = 0;
  char root[] = "\\";
  const BOOL found = VerQueryValueA(block, root, &value, &size);
  *record = found ? value : nullptr;
  *length = found ? size : 0;
  return found != 0;
}

}  // namespace setup
