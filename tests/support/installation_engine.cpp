// The installation engine over a test's machine.
#include "support/installation_engine.h"

#include "install/dlg_decompress.h"

namespace setup::testing {

InstallationEngine::InstallationEngine(FileSystem& files, Shell& shell, VersionInfo& versions)
    : platform{files, registry, shell, versions, windows, clock},
      log(std::make_unique<InstallLog>(files, clock, HiddenNamesOf(script))),
      decompressor(files, windows),
      context{platform, script, *log, decompressor} {}

int InstallationEngine::Run(const std::string& destDir) {
  DlgDecompress dialog(context);
  dialog.SetDestinationDirectory(destDir);
  lastDestDir = destDir;
  const int result = dialog.DoModal();
  lastStep = dialog.Step();
  lastDllsUpgraded = dialog.DllsUpgraded();
  lastBusy = dialog.Busy() ? 1 : 0;
  lastTempDir = dialog.TemporaryDirectory();
  return result;
}

}  // namespace setup::testing
