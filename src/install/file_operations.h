// Directory and file operations of the installation: directory trees and the DLL backup.
#pragma once

#include <string>

#include "base/path_parts.h"
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
// was moved (and then sets `dllsUpgraded`), 0 when it was not: not a DLL, or a failure the user
// has been told about. A hidden DLL is saved like any other: the log drops the lines naming it.
[[nodiscard]] int BackupDll(const InstallContext& context, const std::string& path,
                            const std::string& applicationDirectory, int& dllsUpgraded);

}  // namespace setup
