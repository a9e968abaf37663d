// Directory and file operations of the installation: directory trees, the DLL backup, path parts,
// system error texts and existence tests.
#pragma once

#include <string>

#include "install/install_context.h"
#include "platform/file_system.h"
#include "platform/window_system.h"

namespace setup {

// The engine's error box: no owner, caption "Error", the error icon and an OK button.
int ShowErrorBox(WindowSystem& windows, const std::string& text);

// Creates every directory along `path` after its first backslash, up to its last backslash;
// anything after the last backslash (normally a file name) is ignored. 1 when all of them exist,
// 0 on the first one that cannot be created (and for a path without any backslash).
[[nodiscard]] int EnsureDirectory(const InstallContext& context, const std::string& path);

// Moves the DLL at `path`, about to be replaced, into `applicationDirectory`\Backup. 1 when it
// was moved (and then sets `dllsUpgraded`), 0 when it was not: not a DLL, a hidden name, or a
// failure the user has been told about.
[[nodiscard]] int BackupDll(const InstallContext& context, const std::string& path,
                            const std::string& applicationDirectory, int& dllsUpgraded);

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
