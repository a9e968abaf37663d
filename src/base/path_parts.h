// Parts of a Windows path, the system's error texts and the existence test: shared by the
// installer and the uninstaller.
#pragma once

#include <string>

#include "platform/file_system.h"

namespace setup {

// The text from the last '.' to the end (the whole path when there is none), lower-cased.
[[nodiscard]] std::string GetFileExtension(const std::string& path);

// The text after the last backslash or colon; the whole path when there is neither.
[[nodiscard]] std::string GetFileName(const std::string& path);

// The system's message for a Win32 error code, usually ending in a line break; empty when the
// system has none.
[[nodiscard]] std::string GetSystemErrorText(FileSystem& files, Win32Error code);

// 1 when a file or directory matches `path` (which may hold wildcards), else 0.
[[nodiscard]] int FileExists(FileSystem& files, const std::string& path);

}  // namespace setup
