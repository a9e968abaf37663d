// Version resources on Windows through version.dll, loaded from the system directory.
#include "platform/win32/win32_version_info.h"

#include "platform/win32/system_library.h"
#include "platform/win32/windows_headers.h"

namespace setup {
namespace {

// version.dll is no KnownDLL: imported statically, it would be looked for beside the program.
struct VersionLibrary {
  using SizeFunction = DWORD(WINAPI*)(LPCSTR, LPDWORD);
  using InfoFunction = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
  using QueryFunction = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);

  SystemLibrary library{"version.dll"};
  SizeFunction size = library.Function<SizeFunction>("GetFileVersionInfoSizeA");
  InfoFunction info = library.Function<InfoFunction>("GetFileVersionInfoA");
  QueryFunction query = library.Function<QueryFunction>("VerQueryValueA");
};

const VersionLibrary& Version() {
  static const VersionLibrary library;
  return library;
}

}  // namespace

std::uint32_t Win32VersionInfo::GetFileVersionInfoSize(const std::string& path) {
  if (Version().size == nullptr) return 0;
  DWORD handle = 0;
  return Version().size(path.c_str(), &handle);
}

bool Win32VersionInfo::GetFileVersionInfo(const std::string& path, std::uint32_t size,
                                          void* block) {
  return Version().info != nullptr && Version().info(path.c_str(), 0, size, block) != 0;
}

bool Win32VersionInfo::QueryRootValue(const void* block, const void** record,
                                      std::uint32_t* length) {
  void* value = nullptr;
  UINT size = 0;
  const BOOL found = Version().query != nullptr && Version().query(block, "\\", &value, &size);
  *record = found ? value : nullptr;
  *length = found ? size : 0;
  return found != 0;
}

}  // namespace setup
