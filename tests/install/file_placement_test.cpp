// Whole runs of the installation page over payload files: ordinary files, shared libraries new,
// older, equal and newer, their backups, hidden names and failed expansions.
#include "install/file_placement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "base/registry_access.h"
#include "support/engine_rig.h"

namespace setup::testing {
namespace {

constexpr const char* kReplaced = "will replace anyway";

TEST(FilePlacement, NewDllIsCountedAndPlacedWithoutAComparison) {
  EngineRig rig;
  const std::string app = rig.Path("App");
  const std::string dll = app + "\\lib.dll";
  rig.PutPayload("lib.cmp", DllImage(2, 0));
  rig.WriteScript({"F|lib.cmp|?APPDIR?\\lib.dll"});

  EXPECT_EQ(IDOK, rig.Run(app));
  EXPECT_EQ(DllImage(2, 0), rig.ReadFile(dll));
  EXPECT_EQ(1, GetSharedDllCount(rig.registry, dll));
  EXPECT_EQ(0, rig.lastDllsUpgraded);
  EXPECT_TRUE(rig.windows.messageBoxes().empty());
  EXPECT_FALSE(rig.Exists(rig.lastTempDir + "\\lib.dll"));
  const std::vector<std::string> log = rig.CloseLog();
  EXPECT_TRUE(ContainsInOrder(
      log,
      {"Destination pathname: " + dll,
       "Failed to get version info from " + dll + ", will replace anyway", "Dest Path Name: " + dll,
       dll + " does not exist previously", "Will decompress lib.cmp to " + dll,
       "File decompressed ok", "End of Installation", "Destroying decompression box"}));
  for (const std::string& line : log) {
    EXPECT_EQ(std::string::npos, line.find("Decompressed ")) << "no temporary copy: " << line;
  }
}

TEST(FilePlacement, SharedDllCountIsRaisedByOneAndNeverWrapsAround) {
  constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();
  struct Case {
    std::optional<std::int32_t> stored;  // none: no count yet
    std::int32_t raised;
  };
  const std::vector<Case> cases = {
      {std::nullopt, 1}, {0, 1}, {5, 6}, {kLargest - 1, kLargest}, {kLargest, kLargest}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored.value_or(-1));
    EngineRig rig;
    const std::string app = rig.Path("App");
    const std::string dll = app + "\\lib.dll";
    if (c.stored) {
      ASSERT_EQ(1, SetSharedDllCount(rig.registry, dll, *c.stored));
    }
    rig.PutPayload("lib.cmp", DllImage(1, 0));
    rig.WriteScript({"F|lib.cmp|?APPDIR?\\lib.dll"});
    EXPECT_EQ(IDOK, rig.Run(app));
    EXPECT_EQ(c.raised, GetSharedDllCount(rig.registry, dll));
  }
}

TEST(FilePlacement, InstalledDllIsReplacedOnlyByAStrictlyNewerVersion) {
  struct Case {
    const char* name;
    std::string installed;  // bytes of the installed copy
    std::string incoming;   // bytes of the new copy
    bool replaced;
  };
  const std::vector<Case> cases = {
      {"same version, other build", DllImage(4, 0, 1), DllImage(4, 0, 9), false},
      {"newer minor", DllImage(4, 0), DllImage(4, 1), true},
      {"minor compared as a number", DllImage(1, 9), DllImage(1, 10), true},
      {"older major", DllImage(2, 0), DllImage(1, 99), false},
      {"new copy without a version", DllImage(3, 0), "plain bytes, no image", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig;
    const std::string app = rig.Path("App");
    const std::string dll = rig.Path("Sys\\lib.dll");
    rig.PutFile(dll, c.installed);
    ASSERT_EQ(1, SetSharedDllCount(rig.registry, dll, 3));
    rig.PutPayload("lib.cmp", c.incoming);
    rig.WriteScript({"F|lib.cmp|" + dll, "F|next.cmp|?APPDIR?\\next.txt"});
    rig.PutPayload("next.cmp", "the file after");

    EXPECT_EQ(IDOK, rig.Run(app));
    const std::string tempCopy = rig.lastTempDir + "\\lib.dll";
    EXPECT_EQ(4, GetSharedDllCount(rig.registry, dll)) << "raised whether placed or not";
    EXPECT_FALSE(rig.Exists(tempCopy)) << "the temporary copy is deleted";
    EXPECT_EQ(c.replaced ? c.incoming : c.installed, rig.ReadFile(dll));
    EXPECT_EQ("the file after", rig.ReadFile(app + "\\next.txt"));
    EXPECT_EQ(c.replaced ? 1 : 0, rig.lastDllsUpgraded);
    if (c.replaced) {
      EXPECT_EQ(c.installed, rig.ReadFile(app + "\\Backup\\lib.dll"));
    } else {
      EXPECT_FALSE(rig.Exists(app + "\\Backup"));
    }

    const std::vector<std::string> log = rig.CloseLog();
    EXPECT_TRUE(ContainsInOrder(
        log, {"Destination pathname: " + dll, "Decompressed lib.cmp to " + tempCopy}));
    if (c.replaced) {
      EXPECT_TRUE(ContainsInOrder(
          log, {"Dest Path Name: " + dll, app + "\\Backup not found, will have to create it",
                "Moved successfully: " + dll + " to " + app + "\\Backup\\lib.dll",
                "DLL " + dll + " saved successfully", "Will decompress lib.cmp to " + dll,
                "File decompressed ok", "End of Installation", "Some dlls were upgraded",
                "Destroying decompression box"}));
      ASSERT_EQ(1u, rig.windows.messageBoxes().size());
      const auto& notice = rig.windows.messageBoxes()[0];
      EXPECT_EQ(
          "Some system files (dlls) needed to be\nupgraded to newer versions. The old versions\n"
          "were moved to the directory BACKUP, below\nthe application's directory.\n",
          notice.text);
      EXPECT_EQ(rig.DialogWindow(), notice.owner);
      EXPECT_EQ(std::optional<std::string>("Setup"), notice.caption);
      EXPECT_EQ(MB_OK, notice.style);
    } else {
      EXPECT_TRUE(ContainsInOrder(log, {"Will not expand to " + dll, "End of Installation",
                                        "Destroying decompression box"}));
      for (const std::string& line : log) {
        EXPECT_EQ(std::string::npos, line.find("Will decompress lib.cmp")) << line;
        EXPECT_NE("Some dlls were upgraded", line);
      }
      EXPECT_TRUE(rig.windows.messageBoxes().empty());
    }
  }
}

// A second record for the same destination goes through the same rules against what the first
// one left there: an ordinary file is overwritten, a library only by a strictly newer version.
TEST(FilePlacement, SecondRecordForTheSameDestinationMeetsTheFirstOne) {
  struct Case {
    const char* name;
    std::string destination;  // below App
    std::string first;
    std::string second;
    std::string placed;  // what the destination holds at the end
    bool backedUp;       // the first copy ended in Backup
  };
  const std::vector<Case> cases = {
      {"ordinary file", "a.txt", "first", "second", "second", false},
      {"newer library", "lib.dll", DllImage(1, 0), DllImage(1, 1), DllImage(1, 1), true},
      {"older library", "lib.dll", DllImage(1, 1), DllImage(1, 0), DllImage(1, 1), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig;
    const std::string app = rig.Path("App");
    const std::string dest = app + "\\" + c.destination;
    rig.PutPayload("one.cmp", c.first);
    rig.PutPayload("two.cmp", c.second);
    rig.WriteScript(
        {"F|one.cmp|?APPDIR?\\" + c.destination, "F|two.cmp|?APPDIR?\\" + c.destination});

    EXPECT_EQ(IDOK, rig.Run(app));
    EXPECT_EQ(c.placed, rig.ReadFile(dest));
    EXPECT_EQ(c.backedUp ? std::optional<std::string>(c.first) : std::nullopt,
              rig.ReadFile(app + "\\Backup\\" + c.destination));
    EXPECT_EQ(c.backedUp ? 1 : 0, rig.lastDllsUpgraded);
    const bool library = IsSharedLibrary(dest);
    EXPECT_EQ(library ? 2 : -1, GetSharedDllCount(rig.registry, dest)) << "one per record";
    const std::vector<std::string> log = rig.CloseLog();
    EXPECT_EQ(2, std::count(log.begin(), log.end(), "Dest Path Name: " + dest) +
                     std::count(log.begin(), log.end(), "Will not expand to " + dest));
    if (library) {
      EXPECT_TRUE(ContainsInOrder(
          log, {dest + " does not exist previously", "File decompressed ok",
                "Decompressed two.cmp to " + rig.lastTempDir + "\\lib.dll",
                c.backedUp ? "DLL " + dest + " saved successfully" : "Will not expand to " + dest,
                "End of Installation"}));
    }
  }
}

// A private DLL in its own new subfolder gets its folders as an ordinary file does; one into a
// folder that exists logs what it always did.
TEST(FilePlacement, DllInAMissingDirectoryIsGivenItsDirectories) {
  struct Case {
    const char* name;
    std::vector<std::string> existingDirs;  // relative to App
    std::string destination;                // relative to App
    std::vector<std::string> created;       // relative to App, in order
  };
  const std::vector<Case> cases = {
      {"one new level", {}, "Sub\\lib.dll", {"Sub"}},
      {"nested new levels", {}, "plug\\ins\\lib.dll", {"plug", "plug\\ins"}},
      {"upper level exists", {"plug"}, "plug\\ins\\lib.dll", {"plug\\ins"}},
      {"folder exists", {"Sys"}, "Sys\\lib.dll", {}},
      {"installation folder", {}, "lib.dll", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig;
    const std::string app = rig.Path("App");
    const std::string dll = app + "\\" + c.destination;
    for (const std::string& dir : c.existingDirs) rig.PutFile(app + "\\" + dir + "\\keep", "x");
    rig.PutPayload("lib.cmp", DllImage(1, 0));
    rig.WriteScript({"F|lib.cmp|?APPDIR?\\" + c.destination});

    EXPECT_EQ(IDOK, rig.Run(app));
    EXPECT_EQ(DllImage(1, 0), rig.ReadFile(dll));
    EXPECT_EQ(1, GetSharedDllCount(rig.registry, dll));
    const std::vector<std::string> log = rig.CloseLog();
    std::vector<std::string> expected = {dll + " does not exist previously"};
    for (const std::string& dir : c.created) expected.push_back("Created: " + app + "\\" + dir);
    if (!c.created.empty()) expected.push_back("Directory " + dll + " certified to be ok");
    expected.push_back("Will decompress lib.cmp to " + dll);
    expected.push_back("File decompressed ok");
    EXPECT_TRUE(ContainsInOrder(log, expected));
    if (c.created.empty()) {
      for (const std::string& line : log) {
        EXPECT_NE("Directory " + dll + " certified to be ok", line) << "no new log line";
      }
    }
  }
}

// A DLL's folder that cannot be made fails in the expansion, as an ordinary file's does.
TEST(FilePlacement, DllWhoseDirectoryCannotBeMadeFailsInItsExpansion) {
  EngineRig rig;
  const std::string app = rig.Path("App");
  const std::string dll = app + "\\Sub\\lib.dll";
  rig.PutFile(app + "\\Sub", "a file where the folder goes");
  rig.PutPayload("lib.cmp", DllImage(1, 0));
  rig.WriteScript({"F|lib.cmp|?APPDIR?\\Sub\\lib.dll"});

  EXPECT_EQ(2, rig.Run(app));
  EXPECT_EQ(10, rig.lastStep);
  ASSERT_FALSE(rig.windows.messageBoxes().empty());
  EXPECT_EQ("Failed to decompress file\n" + dll + "\nIs file in use?",
            rig.windows.messageBoxes().back().text);
  EXPECT_TRUE(ContainsInOrder(
      rig.CloseLog(),
      {dll + " does not exist previously", "Will decompress lib.cmp to " + dll,
       "Failed to decompress to " + dll + ", must abort", "Destroying decompression box"}));
}

TEST(FilePlacement, InstalledDllWithoutAVersionIsStillBackedUp) {
  EngineRig rig;
  const std::string app = rig.Path("App");
  const std::string dll = app + "\\lib.dll";
  rig.PutFile(dll, "an old library without version");
  rig.PutFile(app + "\\Backup", "a file where the Backup directory goes");
  rig.PutPayload("lib.cmp", DllImage(1, 0));
  rig.WriteScript({"F|lib.cmp|?APPDIR?\\lib.dll"});

  EXPECT_EQ(IDOK, rig.Run(app));
  EXPECT_EQ(DllImage(1, 0), rig.ReadFile(dll));
  EXPECT_TRUE(rig.IsDirectory(app + "\\Backup"));
  EXPECT_EQ("an old library without version", rig.ReadFile(app + "\\Backup\\lib.dll"));
  EXPECT_EQ(1, rig.lastDllsUpgraded);
  EXPECT_TRUE(ContainsInOrder(
      rig.CloseLog(),
      {"Failed to get version info from " + dll + ", " + kReplaced,
       "There is a FILE named " + app + "\\Backup!!!!",
       "File " + app + "\\Backup successfully deleted", "DLL " + dll + " saved successfully",
       "File decompressed ok", "Some dlls were upgraded"}));
}

// A DLL that cannot be saved is never overwritten: the only copy of the old one would be lost.
TEST(FilePlacement, DllWhoseBackupFailsIsLeftAsItWasAndTheRunEnds) {
  EngineRig rig;
  const std::string app = rig.Path("App");
  const std::string dll = app + "\\lib.dll";
  rig.PutFile(dll, DllImage(4, 0));
  rig.PutFile(app + "\\Backup\\lib.dll", "backup of an earlier installation");
  rig.PutPayload("lib.cmp", DllImage(4, 1));
  rig.PutPayload("later.cmp", "never reached");
  rig.WriteScript({"F|lib.cmp|?APPDIR?\\lib.dll", "F|later.cmp|?APPDIR?\\later.txt"});

  EXPECT_EQ(2, rig.Run(app));
  EXPECT_EQ(DllImage(4, 0), rig.ReadFile(dll));
  EXPECT_EQ("backup of an earlier installation", rig.ReadFile(app + "\\Backup\\lib.dll"));
  EXPECT_FALSE(rig.Exists(app + "\\later.txt"));
  EXPECT_EQ(10, rig.lastStep) << "the placement still moves the step on";
  EXPECT_EQ(0, rig.lastDllsUpgraded);
  ASSERT_EQ(1u, rig.windows.messageBoxes().size());
  EXPECT_EQ("Cannot make backup of " + dll + "\ninto " + app +
                "\\Backup\\lib.dll.\nPlease check file attributes and\ndisk space and return to "
                "the installation",
            rig.windows.messageBoxes()[0].text);
  const std::vector<std::string> log = rig.CloseLog();
  EXPECT_TRUE(
      ContainsInOrder(log, {"Could not move " + dll + " to " + app +
                                "\\Backup\\lib.dll, installation should be aborted.",
                            "DLL " + dll + " could not be saved", "Destroying decompression box"}));
  for (const std::string& line : log) {
    EXPECT_EQ(std::string::npos, line.find("Will decompress")) << line;
    EXPECT_NE("End of Installation", line);
  }
}

// The documented hidden-DLL pattern upgrades like any other library; only the log keeps quiet.
TEST(FilePlacement, HiddenDllIsUpgradedWithoutBeingShownWhileCheckedOrLogged) {
  EngineRig rig;
  const std::string app = rig.Path("App");
  const std::string dll = app + "\\Secret.dll";
  rig.PutFile(dll, DllImage(1, 0));
  rig.PutPayload("s.cmp", DllImage(1, 5));
  rig.PutPayload("later.cmp", "after the library");
  rig.WriteScript({"H|secret", "F|s.cmp|?APPDIR?\\Secret.dll", "F|later.cmp|?APPDIR?\\later.txt"});

  EXPECT_EQ(IDOK, rig.Run(app));
  EXPECT_EQ(DllImage(1, 5), rig.ReadFile(dll));
  EXPECT_EQ(DllImage(1, 0), rig.ReadFile(app + "\\Backup\\Secret.dll"));
  EXPECT_EQ("after the library", rig.ReadFile(app + "\\later.txt"));
  EXPECT_EQ(1, rig.lastDllsUpgraded);
  ASSERT_EQ(1u, rig.windows.messageBoxes().size()) << "only the notice of upgraded libraries";
  EXPECT_EQ(0u, rig.windows.messageBoxes()[0].text.find("Some system files (dlls)"));
  const std::vector<std::string> status = rig.windows.TextsOf(1002);
  ASSERT_FALSE(status.empty());
  EXPECT_EQ("Expanding Secret.dll", status.front());
  const std::vector<std::string> log = rig.CloseLog();
  for (const std::string& line : log) {
    EXPECT_EQ(std::string::npos, line.find("ecret")) << line;
  }
  EXPECT_TRUE(ContainsInOrder(log, {"Subdirectory already exists", "Some dlls were upgraded"}) ||
              ContainsInOrder(log, {"Directory successfully created", "Some dlls were upgraded"}));
}

// A hidden DLL whose backup really fails still ends the run, its old copy untouched.
TEST(FilePlacement, HiddenDllWhoseBackupFailsStillEndsTheRun) {
  EngineRig rig;
  const std::string app = rig.Path("App");
  const std::string dll = app + "\\Secret.dll";
  rig.PutFile(dll, DllImage(1, 0));
  rig.PutFile(app + "\\Backup\\Secret.dll", "backup of an earlier installation");
  rig.PutPayload("s.cmp", DllImage(1, 5));
  rig.WriteScript({"H|secret", "F|s.cmp|?APPDIR?\\Secret.dll"});

  EXPECT_EQ(2, rig.Run(app));
  EXPECT_EQ(DllImage(1, 0), rig.ReadFile(dll));
  EXPECT_EQ(0, rig.lastDllsUpgraded);
  ASSERT_EQ(1u, rig.windows.messageBoxes().size());
  EXPECT_EQ(0u, rig.windows.messageBoxes()[0].text.find("Cannot make backup of " + dll));
  for (const std::string& line : rig.CloseLog()) {
    EXPECT_EQ(std::string::npos, line.find("ecret")) << line;
    EXPECT_NE("End of Installation", line);
  }
}

TEST(FilePlacement, OrdinaryFileGetsItsDirectoriesInThePlacementPhase) {
  EngineRig rig;
  const std::string app = rig.Path("App");
  rig.PutPayload("doc.cmp", "read me\r\n");
  rig.WriteScript({"F|doc.cmp|?APPDIR?\\docs\\en\\readme.txt"});
  bool existedAfterCheck = true;
  rig.windows.QueueAction([](Dialog&) {});  // before the check
  rig.windows.QueueAction(
      [&](Dialog&) { existedAfterCheck = rig.Exists(app + "\\docs"); });  // before the placement

  EXPECT_EQ(IDOK, rig.Run(app));
  EXPECT_FALSE(existedAfterCheck);
  EXPECT_EQ("read me\r\n", rig.ReadFile(app + "\\docs\\en\\readme.txt"));
  EXPECT_TRUE(ContainsInOrder(
      rig.CloseLog(),
      {"Dest Path Name: " + app + "\\docs\\en\\readme.txt", "Created: " + app + "\\docs",
       "Created: " + app + "\\docs\\en",
       "Directory " + app + "\\docs\\en\\readme.txt certified to be ok",
       "Will decompress doc.cmp to " + app + "\\docs\\en\\readme.txt", "File decompressed ok"}));
  EXPECT_EQ(-1, GetSharedDllCount(rig.registry, app + "\\docs\\en\\readme.txt"))
      << "only libraries are counted";
}

TEST(FilePlacement, FailedExpansionShowsTheDecoderBoxThenTheEngineBoxAndEndsTheRun) {
  struct Case {
    const char* name;
    std::string hiddenLine;
    std::string engineBox;
    std::string logLine;
  };
  const std::vector<Case> cases = {
      {"ordinary", "; no hidden names", "Failed to decompress file\nAPP\\a.txt\nIs file in use?",
       "Failed to decompress to APP\\a.txt, must abort"},
      {"hidden", "H|A.TXT",
       "Cannot decompress shared file. Please close all other applications and reinstall",
       "Cannot decompress shared file, must abort"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig;
    const std::string app = rig.Path("App");
    auto withApp = [&app](std::string text) {
      const std::size_t at = text.find("APP");
      if (at != std::string::npos) text.replace(at, 3, app);
      return text;
    };
    rig.PutPayload("later.cmp", "never reached");
    rig.WriteScript({c.hiddenLine, "F|missing.cmp|?APPDIR?\\a.txt", "F|later.cmp|?APPDIR?\\b.txt"});

    EXPECT_EQ(2, rig.Run(app));
    EXPECT_EQ(10, rig.lastStep);
    EXPECT_FALSE(rig.Exists(app + "\\b.txt"));
    const auto& boxes = rig.windows.messageBoxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("Erro de abertura no arquivo missing.cmp", boxes[0].text);
    EXPECT_EQ(rig.DialogWindow(), boxes[0].owner);
    EXPECT_EQ(std::nullopt, boxes[0].caption);
    EXPECT_EQ(MB_ICONERROR, boxes[0].style);
    EXPECT_EQ(withApp(c.engineBox), boxes[1].text);
    EXPECT_EQ(nullptr, boxes[1].owner);
    EXPECT_EQ(std::optional<std::string>("Error"), boxes[1].caption);
    EXPECT_EQ(MB_ICONERROR, boxes[1].style);
    const std::vector<std::string> log = rig.CloseLog();
    EXPECT_TRUE(ContainsInOrder(log, {withApp(c.logLine), "Destroying decompression box"}));
  }
}

TEST(FilePlacement, NewDllThatCannotBeExpandedForTheComparisonEndsTheRunInItsCheck) {
  EngineRig rig;
  const std::string app = rig.Path("App");
  const std::string dll = app + "\\lib.dll";
  rig.PutFile(dll, DllImage(1, 0));
  rig.WriteScript({"F|gone.cmp|?APPDIR?\\lib.dll"});

  EXPECT_EQ(2, rig.Run(app));
  const std::string tempCopy = rig.lastTempDir + "\\lib.dll";
  EXPECT_EQ(0, rig.lastStep) << "the check leaves the step where it was";
  EXPECT_EQ(1, GetSharedDllCount(rig.registry, dll)) << "the raised count stays";
  EXPECT_EQ(DllImage(1, 0), rig.ReadFile(dll));
  const auto& boxes = rig.windows.messageBoxes();
  ASSERT_EQ(2u, boxes.size());
  EXPECT_EQ("Erro de abertura no arquivo gone.cmp", boxes[0].text);
  EXPECT_EQ("Failed to decompress gone.cmp to " + tempCopy + ", please check disk space",
            boxes[1].text);
  EXPECT_EQ(nullptr, boxes[1].owner);
  EXPECT_EQ(std::optional<std::string>("Error"), boxes[1].caption);
  EXPECT_EQ(MB_ICONERROR, boxes[1].style);
  EXPECT_TRUE(ContainsInOrder(rig.CloseLog(),
                              {"Failed to decompress gone.cmp to " + tempCopy + ", must abort",
                               "Destroying decompression box"}));
}

}  // namespace
}  // namespace setup::testing
