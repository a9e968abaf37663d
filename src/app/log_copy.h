// The copy of SETUP.LOG a deployment tool asks for with /LOG=PATH (or --log=PATH).
#pragma once

#include <string>

#include "platform/file_system.h"

namespace setup {

// Copies the closed log `from` to `to`, making the folders `to` needs. True when every byte
// arrived; a copy that fell short is removed, so a tool never reads half a log as the whole.
[[nodiscard]] bool CopyInstallationLog(FileSystem& files, const std::string& from,
                                       const std::string& to);

}  // namespace setup
