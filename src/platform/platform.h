// The platform operations the core uses, one interface per group, handed around together.
#pragma once

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/version_info.h"
#include "platform/window_system.h"

namespace setup {

struct Platform {
  FileSystem& files;
  Registry& registry;
  Shell& shell;
  VersionInfo& versions;
  WindowSystem& windows;
  Clock& clock;
};

}  // namespace setup
