// Parts of a Windows path, the system's error texts and the existence test.
#include "base/path_parts.h"

#include "platform/ascii_case.h"

namespace setup {

std::string GetFileExtension(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  return LowerCaseAscii(dot == std::string::npos ? std::string_view(path)
                                                 : std::string_view(path).substr(dot));
}

std::string GetFileName(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\:");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string GetSystemErrorText(FileSystem& files, Win32Error code) {
  return files.FormatMessage(code);
}

int FileExists(FileSystem& files, const std::string& path) {
  return files.FindFirstFile(path).has_value() ? 1 : 0;
}

}  // namespace setup
