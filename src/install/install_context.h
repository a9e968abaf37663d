// What the installation engine works with: the platform, the script tables, the log, the decoder.
#pragma once

#include "base/install_log.h"
#include "decompress/decompress_file.h"
#include "platform/platform.h"
#include "script/setup_script.h"

namespace setup {

class PayloadManifest;

struct InstallContext {
  const Platform& platform;
  SetupScript& script;
  InstallLog& log;
  Decompressor& decompressor;
  // The distribution's manifest, when it has one: payloads are checked against it.
  const PayloadManifest* manifest = nullptr;
};

}  // namespace setup
