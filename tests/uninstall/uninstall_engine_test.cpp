// The removal from the installation record, on the engine rig: installations of two versions
// made by the real installation page, then the engine's steps run over what they recorded.
#include "uninstall/uninstall_engine.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/installation_record_store.h"
#include "base/registry_access.h"
#include "support/engine_rig.h"

namespace setup::testing {
namespace {

constexpr const char* kUninstallKey =
    "HKEY_LOCAL_MACHINE|Software|Microsoft|Windows|CurrentVersion|Uninstall|Prod|";

class RigRemover final : public ProgramRemover {
 public:
  explicit RigRemover(FileSystem& files) : files_(files) {}
  Win32Error RemoveProgram(const std::string& path, bool* deferred) override {
    *deferred = false;
    return files_.DeleteFile(path);
  }
  void RemoveDirectoryLater(const std::string&) override {}

 private:
  FileSystem& files_;
};

// One version of the product: its own lines, the uninstaller's, and the product's key.
void InstallVersion(EngineRig& rig, const std::string& app, std::vector<std::string> lines) {
  rig.PutPayload("program.cmp", "the uninstaller");
  rig.PutPayload("copy.cmp", "the script copy");
  lines.push_back("F|program.cmp|?APPDIR?\\uninstall");
  lines.push_back("F|copy.cmp|?APPDIR?\\uninstall.drc");
  lines.push_back(std::string("K|SZ|") + kUninstallKey + "InstallLocation|?APPDIR?");
  lines.push_back(std::string("K|SZ|") + kUninstallKey + "DisplayName|Prod");
  lines.push_back("K|SZ|HKEY_CURRENT_USER|Software|Prod Corp|Prod|Path|?APPDIR?");
  rig.WriteScript(lines);
  ASSERT_EQ(IDOK, rig.Run(app));
}

struct Removal {
  std::vector<Leftover> leftovers;
  bool failed = false;
};

Removal Remove(EngineRig& rig, const std::string& app, const InstallationRecord& record,
               UninstallPolicy policy) {
  InstallLog log(rig.files, rig.clock, [](const std::string&) { return false; });
  RigRemover remover(rig.files);
  SetupScript script;
  ProductRecord product{"Prod", "Prod", std::string(kUninstallKey) + "InstallLocation", '|'};
  UninstallEngine engine(
      rig.platform, script, record, log, remover,
      UninstallTarget{product, app, app + "\\uninstall", app + "\\uninstall.drc"}, policy);
  for (const UninstallEngine::Step& step : engine.steps()) step.run(nullptr);
  return {engine.leftovers(), engine.failed()};
}

TEST(UninstallEngine, RemovesWhatEveryVersionInstalledAndGivesEveryCountBack) {
  EngineRig rig;
  const std::string app = rig.Path("App");
  const std::string dll = rig.files.GetSystemDirectory() + "\\shared.dll";
  // Another product counts the library once.
  ASSERT_EQ(1, SetSharedDllCount(rig.registry, dll, 1));
  rig.PutPayload("a.cmp", "version one");
  rig.PutPayload("old.cmp", "dropped in 2");
  rig.PutPayload("lib.cmp", DllImage(1, 0));
  InstallVersion(rig, app,
                 {"F|a.cmp|?APPDIR?\\a.txt", "F|old.cmp|?APPDIR?\\Old\\old.txt",
                  "F|lib.cmp|?SYSTEM?\\shared.dll"});
  rig.PutPayload("a.cmp", "version two");
  rig.PutPayload("new.cmp", "added in 2");
  rig.PutPayload("lib.cmp", DllImage(1, 1));
  InstallVersion(
      rig, app,
      {"F|a.cmp|?APPDIR?\\a.txt", "F|new.cmp|?APPDIR?\\new.txt", "F|lib.cmp|?SYSTEM?\\shared.dll"});
  EXPECT_EQ(3, GetSharedDllCount(rig.registry, dll));
  rig.CloseLog();  // SETUP.LOG, which Windows would not let go while it is open
  const StoredRecord stored = ReadInstallationRecord(rig.files, rig.registry, app);
  ASSERT_EQ(RecordStatus::kTrusted, stored.status) << stored.problem;

  // The user changes one file and adds one; a killed expansion left a side file.
  rig.PutFile(app + "\\new.txt", "edited");
  rig.PutFile(app + "\\mine.txt", "the user's");
  rig.PutFile(app + "\\a.txt.~new", "torn");

  const Removal removal = Remove(rig, app, stored.record, {SharedFilePolicy::kRemove, false});
  EXPECT_FALSE(removal.failed);
  auto reasonOf = [&](const std::string& path) -> std::optional<LeftReason> {
    for (const Leftover& left : removal.leftovers) {
      if (SamePath(left.path, path)) return left.reason;
    }
    return std::nullopt;
  };
  EXPECT_EQ(LeftReason::kChanged, reasonOf(app + "\\new.txt"));
  EXPECT_EQ(LeftReason::kForeign, reasonOf(app + "\\mine.txt"));
  EXPECT_EQ(LeftReason::kStillShared, reasonOf(dll));
  EXPECT_EQ(3u, removal.leftovers.size());
  EXPECT_EQ("edited", rig.ReadFile(app + "\\new.txt"));
  for (const char* gone : {"\\a.txt", "\\a.txt.~new", "\\Old\\old.txt", "\\Old", "\\uninstall",
                           "\\uninstall.drc", "\\uninstall.rec"}) {
    EXPECT_FALSE(rig.Exists(app + gone)) << gone;
  }
  // The two raises go; the other product's stays, and so does the library.
  EXPECT_EQ(1, GetSharedDllCount(rig.registry, dll));
  EXPECT_TRUE(rig.Exists(dll));
  EXPECT_FALSE(rig.registry.Get(kHkeyCurrentUser, "Software\\Prod Corp\\Prod", "Path"));
  EXPECT_FALSE(rig.registry.Get(kHkeyLocalMachine,
                                "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Prod",
                                kInstallationRecordDigestValue));
}

TEST(UninstallEngine, SharedFileKeptAsChosenOrChangedIsListedNotFailed) {
  for (const bool changed : {false, true}) {
    SCOPED_TRACE(changed);
    EngineRig rig;
    const std::string app = rig.Path("App");
    const std::string dll = app + "\\private.dll";
    rig.PutPayload("lib.cmp", DllImage(1, 0));
    InstallVersion(rig, app, {"F|lib.cmp|?APPDIR?\\private.dll"});
    if (changed) rig.PutFile(dll, DllImage(9, 9));
    rig.CloseLog();  // SETUP.LOG, which Windows would not let go while it is open
    const StoredRecord stored = ReadInstallationRecord(rig.files, rig.registry, app);
    ASSERT_EQ(RecordStatus::kTrusted, stored.status) << stored.problem;
    const Removal removal =
        Remove(rig, app, stored.record,
               {changed ? SharedFilePolicy::kRemove : SharedFilePolicy::kKeep, false});
    EXPECT_FALSE(removal.failed);
    ASSERT_EQ(1u, removal.leftovers.size());
    EXPECT_EQ(changed ? LeftReason::kChanged : LeftReason::kSharedKept,
              removal.leftovers[0].reason);
    EXPECT_TRUE(rig.Exists(dll));
    EXPECT_EQ(-1, GetSharedDllCount(rig.registry, dll));
  }
}

// A rerun after a kill that came after a count was given back lowers it no further.
TEST(UninstallEngine, CountGivenBackOnceAcrossARerun) {
  EngineRig rig;
  const std::string app = rig.Path("App");
  const std::string dll = rig.files.GetSystemDirectory() + "\\shared.dll";
  ASSERT_EQ(1, SetSharedDllCount(rig.registry, dll, 1));
  rig.PutPayload("lib.cmp", DllImage(1, 0));
  rig.PutPayload("a.cmp", "a");
  InstallVersion(rig, app, {"F|lib.cmp|?SYSTEM?\\shared.dll", "F|a.cmp|?APPDIR?\\a.txt"});
  rig.CloseLog();  // SETUP.LOG, which Windows would not let go while it is open
  const StoredRecord stored = ReadInstallationRecord(rig.files, rig.registry, app);
  ASSERT_EQ(RecordStatus::kTrusted, stored.status) << stored.problem;
  {
    InstallLog log(rig.files, rig.clock, [](const std::string&) { return false; });
    RigRemover remover(rig.files);
    SetupScript script;
    UninstallEngine engine(
        rig.platform, script, stored.record, log, remover,
        UninstallTarget{
            {"Prod", "Prod", "", '|'}, app, app + "\\uninstall", app + "\\uninstall.drc"},
        {SharedFilePolicy::kKeep, false});
    // Killed after the shared file's step: the file step and the shared step ran.
    for (std::size_t i = 0; i < 2; ++i) engine.steps()[i].run(nullptr);
  }
  EXPECT_EQ(1, GetSharedDllCount(rig.registry, dll));
  const StoredRecord again = ReadInstallationRecord(rig.files, rig.registry, app);
  ASSERT_EQ(RecordStatus::kTrusted, again.status) << again.problem;
  Remove(rig, app, again.record, {SharedFilePolicy::kKeep, false});
  EXPECT_EQ(1, GetSharedDllCount(rig.registry, dll));
  EXPECT_FALSE(rig.Exists(app));
}

}  // namespace
}  // namespace setup::testing
