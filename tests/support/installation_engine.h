// The installation engine over a test's machine: an in-memory registry, scripted windows, a fixed
// clock, the script tables, the log and the decoder, working on the files, shell links and version
// resources the test gives it. The engine's rig and the host's machine-folder rig build on it.
#pragma once

#include <memory>
#include <string>

#include "base/install_log.h"
#include "decompress/decompress_file.h"
#include "install/install_context.h"
#include "platform/platform.h"
#include "script/setup_script.h"
#include "support/fake_platform.h"
#include "support/scripted_window_system.h"

namespace setup::testing {

class InstallationEngine {
 public:
  InstallationEngine(FileSystem& files, Shell& shell, VersionInfo& versions);
  InstallationEngine(const InstallationEngine&) = delete;
  InstallationEngine& operator=(const InstallationEngine&) = delete;

  // Runs the installation page for `destDir` and answers its result.
  int Run(const std::string& destDir);

  FakeRegistry registry;
  ScriptedWindowSystem windows;
  FakeClock clock;
  Platform platform;
  SetupScript script;
  std::unique_ptr<InstallLog> log;
  Decompressor decompressor;
  InstallContext context;

  // What the last Run() left in the page's fields.
  int lastStep = 0;
  int lastDllsUpgraded = 0;
  int lastBusy = 0;
  std::string lastTempDir;
  std::string lastDestDir;
};

}  // namespace setup::testing
