// What the installation engine works with: the platform, the script tables, the log, the decoder.
#pragma once

#include "app/install_log.h"
#include "decompress/decompress_file.h"
#include "platform/platform.h"
#include "script/setup_script.h"

namespace setup {

struct InstallContext {
  const Platform& platform;
  SetupScript& script;
  InstallLog& log;
  Decompressor& decompressor;
};

}  // namespace setup
