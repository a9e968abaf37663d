// Writes a whole file through a FileSystem, as tests arrange the files a platform reads back.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/file_system.h"

namespace setup::testing {

// Success once `path` is created (or emptied), holds `bytes` and is closed; a failure names the
// step that failed.
::testing::AssertionResult WriteWholeFile(FileSystem& files, const std::string& path,
                                          const std::string& bytes);

}  // namespace setup::testing
