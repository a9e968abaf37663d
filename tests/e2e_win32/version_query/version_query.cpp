// Prints what Windows reads from a program's version resource, as the file's Properties page
// shows it: one "Key=Value" line (UTF-8) per string of the English table, then the fixed
// record's product version.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(argv[1], &ignored);
  std::vector<char> block(size);
  if (size == 0 || !GetFileVersionInfoW(argv[1], 0, size, block.data())) {
    std::printf("no version resource\n");
    return 1;
  }
  for (const wchar_t* key : {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName",
                             L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
    wchar_t* value = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) &&
        value != nullptr) {
      std::printf("%s=%s\n", Utf8(key).c_str(), Utf8(value).c_str());
    }
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) &&
      fixed != nullptr) {
    std::printf("fixed product version=%u.%u.%u.%u\n", unsigned{HIWORD(fixed->dwProductVersionMS)},
                unsigned{LOWORD(fixed->dwProductVersionMS)},
                unsigned{HIWORD(fixed->dwProductVersionLS)},
                unsigned{LOWORD(fixed->dwProductVersionLS)});
  }
  return 0;
}
