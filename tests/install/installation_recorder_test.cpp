// The installation page writing its record: only for a distribution with the uninstaller, and
// also when the run aborts half-way.
#include "install/installation_recorder.h"

#include <gtest/gtest.h>

#include "base/installation_record_store.h"
#include "base/registry_access.h"
#include "install/install_page.h"
#include "support/engine_rig.h"

namespace setup::testing {
namespace {

TEST(InstallationRecorder, AnAbortKeepsWhatWasPlacedAndNoUninstallerWritesNothing) {
  for (const bool uninstaller : {true, false}) {
    SCOPED_TRACE(uninstaller);
    EngineRig rig;
    const std::string app = rig.Path("App");
    rig.PutPayload("a.cmp", "placed");
    std::vector<std::string> lines = {"F|a.cmp|?APPDIR?\\a.txt", "F|missing.cmp|?APPDIR?\\b.txt"};
    if (uninstaller) {
      rig.PutPayload("copy.cmp", "the script copy");
      lines.insert(lines.begin(), "F|copy.cmp|?APPDIR?\\uninstall.drc");
      lines.push_back(
          "K|SZ|HKEY_LOCAL_MACHINE|Software|Microsoft|Windows|CurrentVersion|Uninstall|Prod|"
          "InstallLocation|?APPDIR?");
    }
    rig.WriteScript(lines);
    EXPECT_EQ(kRunAborted, rig.Run(app));
    const StoredRecord stored = ReadInstallationRecord(rig.files, rig.registry, app);
    if (!uninstaller) {
      EXPECT_EQ(RecordStatus::kMissing, stored.status);
      EXPECT_FALSE(rig.registry.Get(kHkeyLocalMachine,
                                    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Prod",
                                    kInstallationRecordDigestValue));
      continue;
    }
    ASSERT_EQ(RecordStatus::kTrusted, stored.status) << stored.problem;
    ASSERT_EQ(2u, stored.record.files.size());
    EXPECT_TRUE(SameWindowsPath(app + "\\a.txt", stored.record.files[1].path));
    EXPECT_EQ(6u, stored.record.files[1].size);
    EXPECT_EQ(DigestOf("placed"), stored.record.files[1].digest);
  }
}

}  // namespace
}  // namespace setup::testing
