// Directory trees, the DLL backup and the small path and file operations, on the real disk.
#include "install/file_operations.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/engine_rig.h"

namespace setup::testing {
namespace {

std::vector<std::string> PendingMessages(EngineRig& rig) {
  return LogMessagesOf(rig.log->Pending());
}

// `text` with every "S\" standing for the scratch folder.
std::string InScratch(const EngineRig& rig, std::string text) {
  for (std::size_t at = text.find("S\\"); at != std::string::npos;
       at = text.find("S\\", at + rig.machine.scratch.size())) {
    text.replace(at, 1, rig.machine.scratch);
  }
  return text;
}

TEST(EnsureDirectory, CreatesEachMissingLevelAndLogsWhatItDid) {
  struct Case {
    const char* name;
    std::vector<std::string> existingDirs;  // relative to the scratch folder
    std::string path;                       // relative to the scratch folder
    int result;
    std::vector<std::string> messages;  // "S" stands for the scratch folder
    std::vector<std::string> dirsAfter;
  };
  const std::vector<Case> cases = {
      {"file path",
       {},
       "A\\B\\file.txt",
       1,
       {"Created: S\\A", "Created: S\\A\\B", "Directory S\\A\\B\\file.txt certified to be ok"},
       {"A", "A\\B"}},
      {"directory path",
       {},
       "A\\B\\",
       1,
       {"Created: S\\A", "Created: S\\A\\B", "Directory S\\A\\B\\ certified to be ok"},
       {"A", "A\\B"}},
      {"existing tree",
       {"A", "A\\B"},
       "A\\B\\c.txt",
       1,
       {"Directory S\\A\\B\\c.txt certified to be ok"},
       {"A", "A\\B"}},
      {"last name ignored",
       {},
       "A\\B",
       1,
       {"Created: S\\A", "Directory S\\A\\B certified to be ok"},
       {"A"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig;
    for (const std::string& dir : c.existingDirs) {
      ASSERT_EQ(kErrorSuccess, rig.files.CreateDirectory(rig.Path(dir)));
    }
    EXPECT_EQ(c.result, EnsureDirectory(rig.context, rig.Path(c.path)));
    std::vector<std::string> expected;
    for (const std::string& message : c.messages) expected.push_back(InScratch(rig, message));
    EXPECT_EQ(expected, PendingMessages(rig));
    for (const std::string& dir : c.dirsAfter) EXPECT_TRUE(rig.IsDirectory(rig.Path(dir))) << dir;
  }
}

TEST(EnsureDirectory, NameWithoutBackslashFailsSilentlyAndADriveRootSucceeds) {
  EngineRig rig;
  EXPECT_EQ(0, EnsureDirectory(rig.context, "plainname"));
  EXPECT_TRUE(PendingMessages(rig).empty());
  EXPECT_EQ(1, EnsureDirectory(rig.context, "C:\\"));
  EXPECT_EQ(std::vector<std::string>{"Directory C:\\ certified to be ok"}, PendingMessages(rig));
}

TEST(EnsureDirectory, AFileInTheWayIsPassedOverThenTheNextLevelFails) {
  EngineRig rig;
  rig.PutFile(rig.Path("F"), "in the way");
  EXPECT_EQ(0, EnsureDirectory(rig.context, rig.Path("F\\G\\H\\x.txt")));
  // The system's reason keeps its own line break inside the log line.
  EXPECT_EQ("06 Dec 2026 08:11:32 Error creating directory " + rig.Path("F\\G") + ": " +
                GetSystemErrorText(rig.files, kErrorPathNotFound) + "\r\n",
            rig.log->Pending());
  EXPECT_FALSE(rig.Exists(rig.Path("F\\G\\H")));
}

// What the Backup step is given to work on, and what it must do.
struct BackupCase {
  const char* name;
  std::function<void(EngineRig&)> arrange;
  std::string dll;  // relative to the scratch folder
  int result;
  int dllsUpgraded;
  std::vector<std::string> messages;  // "S" = scratch; "APP" = S\App
  std::vector<std::string> boxes;
};

TEST(BackupDll, MovesTheOldCopyIntoBackupOrSaysWhyNot) {
  const std::string notSaved = "File S\\App\\lib.dll was NOT successfully save to directory S\\App";
  const std::vector<BackupCase> cases = {
      {"backup directory missing",
       [](EngineRig&) {},
       "App\\lib.dll",
       1,
       1,
       {"S\\App\\Backup not found, will have to create it", "Created: S\\App\\Backup",
        "Directory S\\App\\Backup\\ certified to be ok", "Directory successfully created",
        "Moved successfully: S\\App\\lib.dll to S\\App\\Backup\\lib.dll",
        "File S\\App\\lib.dll was  successfully save to directory S\\App"},
       {}},
      {"backup directory present, extension in capitals",
       [](EngineRig& rig) { rig.files.CreateDirectory(rig.Path("App\\Backup")); },
       "App\\LIB.DLL",
       1,
       1,
       {"Subdirectory already exists",
        "Moved successfully: S\\App\\LIB.DLL to S\\App\\Backup\\LIB.DLL",
        "File S\\App\\LIB.DLL was  successfully save to directory S\\App"},
       {}},
      {"a file named Backup",
       [](EngineRig& rig) { rig.PutFile(rig.Path("App\\Backup"), "not a directory"); },
       "App\\lib.dll",
       1,
       1,
       {"There is a FILE named S\\App\\Backup!!!!", "File S\\App\\Backup successfully deleted",
        "Created: S\\App\\Backup", "Directory S\\App\\Backup\\ certified to be ok",
        "Directory successfully created",
        "Moved successfully: S\\App\\lib.dll to S\\App\\Backup\\lib.dll",
        "File S\\App\\lib.dll was  successfully save to directory S\\App"},
       {}},
      {"a read-only file named Backup",
       [](EngineRig& rig) {
         rig.PutFile(rig.Path("App\\Backup"), "cannot go");
         rig.files.SetFileAttributes(rig.Path("App\\Backup"), FILE_ATTRIBUTE_READONLY);
       },
       "App\\lib.dll",
       0,
       0,
       {"There is a FILE named S\\App\\Backup!!!!",
        "The file named S\\App\\Backup cannot be deleted, installation should be aborted",
        notSaved},
       {"It seems a file named S\\App\\Backup exists and cannot be deleted.\nPlease delete that "
        "file manually and return to the installation"}},
      {"read-only library",
       [](EngineRig& rig) {
         rig.files.SetFileAttributes(rig.Path("App\\lib.dll"), FILE_ATTRIBUTE_READONLY);
       },
       "App\\lib.dll",
       1,
       1,
       {"S\\App\\Backup not found, will have to create it", "Created: S\\App\\Backup",
        "Directory S\\App\\Backup\\ certified to be ok", "Directory successfully created",
        "Moved successfully: S\\App\\lib.dll to S\\App\\Backup\\lib.dll",
        "File S\\App\\lib.dll was  successfully save to directory S\\App"},
       {}},
      {"backup name already taken",
       [](EngineRig& rig) { rig.PutFile(rig.Path("App\\Backup\\lib.dll"), "earlier backup"); },
       "App\\lib.dll",
       0,
       0,
       {"Subdirectory already exists",
        "Could not move S\\App\\lib.dll to S\\App\\Backup\\lib.dll, installation should be "
        "aborted.",
        notSaved},
       {"Cannot make backup of S\\App\\lib.dll\ninto S\\App\\Backup\\lib.dll.\nPlease check file "
        "attributes and\ndisk space and return to the installation"}},
  };
  for (const BackupCase& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig;
    auto expand = [&rig](const std::string& text) { return InScratch(rig, text); };
    const std::string dll = rig.Path(c.dll);
    rig.PutFile(dll, "old library");
    c.arrange(rig);
    int upgraded = 0;
    EXPECT_EQ(c.result, BackupDll(rig.context, dll, rig.Path("App"), upgraded));
    EXPECT_EQ(c.dllsUpgraded, upgraded);

    std::vector<std::string> expected;
    for (const std::string& m : c.messages) expected.push_back(expand(m));
    EXPECT_EQ(expected, PendingMessages(rig));

    ASSERT_EQ(c.boxes.size(), rig.windows.messageBoxes().size());
    for (std::size_t i = 0; i < c.boxes.size(); ++i) {
      const auto& box = rig.windows.messageBoxes()[i];
      EXPECT_EQ(expand(c.boxes[i]), box.text);
      EXPECT_EQ(nullptr, box.owner);
      EXPECT_EQ(std::optional<std::string>("Error"), box.caption);
      EXPECT_EQ(MB_OK | MB_ICONERROR, box.style);
    }
    if (c.result == 1) {
      EXPECT_FALSE(rig.Exists(dll));
      EXPECT_EQ("old library", rig.ReadFile(rig.Path("App\\Backup\\" + GetFileName(dll))));
    } else {
      EXPECT_EQ("old library", rig.ReadFile(dll)) << "the installed copy stays";
    }
  }
}

TEST(BackupDll, RefusesWithoutAWordWhatIsNoDll) {
  EngineRig rig;
  rig.script.hiddenNames = {"secret"};
  int upgraded = 0;
  for (const char* name : {"App\\tool.exe", "App\\lib.dll.bak"}) {
    const std::string path = rig.Path(name);
    rig.PutFile(path, "x");
    EXPECT_EQ(0, BackupDll(rig.context, path, rig.Path("App"), upgraded)) << name;
    EXPECT_TRUE(rig.Exists(path)) << name;
  }
  EXPECT_EQ(0, upgraded);
  EXPECT_TRUE(PendingMessages(rig).empty());
  EXPECT_TRUE(rig.windows.messageBoxes().empty());
  EXPECT_FALSE(rig.Exists(rig.Path("App\\Backup")));
}

// A hidden DLL is saved like any other; every line naming it is dropped by the log.
TEST(BackupDll, SavesAHiddenDllWithoutLoggingItsName) {
  EngineRig rig;
  rig.script.hiddenNames = {"secret"};
  int upgraded = 0;
  const std::string path = rig.Path("App\\Secret.dll");
  rig.PutFile(path, "old library");
  EXPECT_EQ(1, BackupDll(rig.context, path, rig.Path("App"), upgraded));
  EXPECT_EQ(1, upgraded);
  EXPECT_FALSE(rig.Exists(path));
  EXPECT_EQ("old library", rig.ReadFile(rig.Path("App\\Backup\\Secret.dll")));
  const std::vector<std::string> messages = PendingMessages(rig);
  EXPECT_FALSE(messages.empty());
  for (const std::string& line : messages) EXPECT_EQ(std::string::npos, line.find("ecret")) << line;
}

TEST(BackupDll, BackupThatCannotBeCreatedOrAPathThatCannotBeParsed) {
  {
    EngineRig rig;
    rig.PutFile(rig.Path("F"), "a file where a directory should be");
    int upgraded = 0;
    const std::string app = rig.Path("F\\App");
    EXPECT_EQ(0, BackupDll(rig.context, rig.Path("lib.dll"), app, upgraded));
    ASSERT_EQ(1u, rig.windows.messageBoxes().size());
    EXPECT_EQ("Cannot create directory " + app +
                  "\\Backup (disk full?)\nPlease correct the problem manually and return to the "
                  "installation",
              rig.windows.messageBoxes()[0].text);
    const std::vector<std::string> messages = PendingMessages(rig);
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ("Cannot create directory " + app + "\\Backup, installation aborted",
              messages[messages.size() - 2]);
    EXPECT_EQ("File " + rig.Path("lib.dll") + " was NOT successfully save to directory " + app,
              messages.back());
  }
  for (const char* path : {"lib.dll", "\\lib.dll"}) {
    SCOPED_TRACE(path);
    EngineRig rig;
    rig.files.CreateDirectory(rig.Path("App"));
    int upgraded = 0;
    EXPECT_EQ(0, BackupDll(rig.context, path, rig.Path("App"), upgraded));
    ASSERT_EQ(1u, rig.windows.messageBoxes().size());
    EXPECT_EQ(std::string("Could not copy file ") + path +
                  " due to a parsing error.\nPlease contact the developer and report the problem",
              rig.windows.messageBoxes()[0].text);
    const std::vector<std::string> messages = PendingMessages(rig);
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(std::string("Could not copy file ") + path +
                  " due to a parsing error, installation should be aborted.",
              messages[messages.size() - 2]);
  }
}

TEST(PathParts, ExtensionAndFileName) {
  struct Case {
    std::string path, extension, fileName;
  };
  const std::vector<Case> cases = {
      {"C:\\A\\b.dll", ".dll", "b.dll"},
      {"C:\\A\\B.DLL", ".dll", "B.DLL"},
      {"C:b.dll", ".dll", "b.dll"},
      {"C:\\my.dir\\readme", ".dir\\readme", "readme"},
      {"C:\\Dir\\NoExtension", "c:\\dir\\noextension", "NoExtension"},
      {"name.tar.GZ", ".gz", "name.tar.GZ"},
      {"", "", ""},
      {"C:\\dir\\", "c:\\dir\\", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.extension, GetFileExtension(c.path)) << c.path;
    EXPECT_EQ(c.fileName, GetFileName(c.path)) << c.path;
  }
}

TEST(FileExists, FilesDirectoriesAndWildcardsMatch) {
  EngineRig rig;
  rig.PutFile(rig.Path("Dir\\data.bin"), "x");
  EXPECT_EQ(1, FileExists(rig.files, rig.Path("Dir\\data.bin")));
  EXPECT_EQ(1, FileExists(rig.files, rig.Path("Dir")));
  EXPECT_EQ(1, FileExists(rig.files, rig.Path("Dir\\*.bin")));
  EXPECT_EQ(1, FileExists(rig.files, rig.Path("Dir\\d?ta.bin")));
  EXPECT_EQ(0, FileExists(rig.files, rig.Path("Dir\\*.txt")));
  EXPECT_EQ(0, FileExists(rig.files, rig.Path("Dir\\missing.bin")));
  EXPECT_EQ(0, FileExists(rig.files, rig.Path("Missing\\data.bin")));
}

TEST(GetSystemErrorText, SystemTextsEndInALineBreak) {
  EngineRig rig;
  for (Win32Error code : {kErrorFileNotFound, kErrorPathNotFound, kErrorAccessDenied,
                          kErrorAlreadyExists, kErrorDiskFull}) {
    const std::string text = GetSystemErrorText(rig.files, code);
    ASSERT_FALSE(text.empty()) << code;
    EXPECT_EQ('\n', text.back()) << code;
  }
  EXPECT_NE(GetSystemErrorText(rig.files, kErrorFileNotFound),
            GetSystemErrorText(rig.files, kErrorAccessDenied));
}

}  // namespace
}  // namespace setup::testing
