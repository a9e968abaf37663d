// Installations whose scripts aim outside the machine folder: climbing paths, missing drives,
// network paths, names past the path limit, and links planted in the machine folder or the
// current directory that lead out. Whatever the script says, nothing is written anywhere but in
// the machine folder and the current directory, and every refused file ends the run with a box.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "decompress/lzhuf_encoder.h"
#include "host/install_machine.h"
#include "script/scrambling.h"

namespace setup::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kContents = "hostile payload";

// Every entry below `dir`, as paths relative to it.
std::set<std::string> EntriesBelow(const fs::path& dir) {
  std::set<std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    entries.insert(fs::relative(entry.path(), dir).string());
  }
  return entries;
}

class HostileInstall : public InstallMachine {
 public:
  HostileInstall() {
    fs::create_directories(outside());
    WriteCurrent("p.cmp", lzhuf::CompressBuffer(kContents));
  }
  // A folder beside the machine folder and the current directory that nothing may reach.
  fs::path outside() const { return root() / "outside"; }

  int RunScript(const std::vector<std::string>& lines, const std::string& destDir) {
    std::string plain;
    for (const std::string& line : lines) plain += line + "\r\n";
    WriteCurrent("setup.drc", ScrambledFile(plain));
    return Run(destDir);
  }

  // Nothing outside, nothing beside the three folders, nothing in the folder above.
  void ExpectNothingEscaped(const std::set<std::string>& aboveBefore) const {
    EXPECT_EQ(std::set<std::string>{}, EntriesBelow(outside()));
    std::set<std::string> top;
    for (const auto& entry : fs::directory_iterator(root())) {
      top.insert(entry.path().filename().string());
    }
    EXPECT_EQ((std::set<std::string>{"current", "machine", "outside"}), top);
    std::set<std::string> above;
    for (const auto& entry : fs::directory_iterator(root().parent_path())) {
      above.insert(entry.path().filename().string());
    }
    for (const std::string& name : above) {
      EXPECT_TRUE(aboveBefore.count(name) != 0 || name.rfind("setup-", 0) == 0 ||
                  name.find("escape") == std::string::npos)
          << name << " appeared above the scratch folder";
    }
  }
};

std::set<std::string> NamesIn(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

TEST(HostileInstall, ClimbingPathsStopAtTheDriveRootAndTheCurrentDirectory) {
  HostileInstall machine;
  const std::set<std::string> above = NamesIn(machine.root().parent_path());
  const int result = machine.RunScript(
      {
          "F|p.cmp|..\\..\\..\\..\\escape-relative.txt",
          "F|p.cmp|C:\\..\\..\\..\\..\\escape-rooted.txt",
          "F|p.cmp|C:\\Windows\\..\\..\\..\\escape-windows.txt",
          "F|p.cmp|?APPDIR?\\..\\..\\..\\..\\..\\escape-appdir.txt",
          "F|p.cmp|\\..\\..\\escape-root.txt",
          "L|..\\..\\..\\escape-link.lnk|C:\\App\\x.exe|up",
      },
      "C:\\App");
  EXPECT_EQ(IDOK, result);
  // A group folder cannot be made at the root a climbing path ends on; links do not abort.
  ASSERT_EQ(1u, machine.windows.messageBoxes().size());
  EXPECT_EQ(0u, machine.windows.messageBoxes()[0].text.find("Failed to create group."));
  EXPECT_EQ(kContents, ReadFileBytes(machine.root() / "current" / "escape-relative.txt"));
  EXPECT_EQ(kContents, machine.Installed("escape-rooted.txt"));
  EXPECT_EQ(kContents, machine.Installed("escape-windows.txt"));
  EXPECT_EQ(kContents, machine.Installed("escape-appdir.txt"));
  EXPECT_EQ(kContents, machine.Installed("escape-root.txt"));
  EXPECT_TRUE(machine.Installed("App/SETUP.LOG").has_value());
  machine.ExpectNothingEscaped(above);
}

TEST(HostileInstall, UnreachableDestinationsEndTheRunWithABox) {
  struct Case {
    const char* name;
    std::string destination;
    std::string destDir = "C:\\App";
    // Plants links before the run.
    void (*arrange)(HostileInstall&) = nullptr;
  };
  const std::vector<Case> cases = {
      {"a drive that does not exist", "Q:\\escape-drive.txt"},
      {"a network share", "\\\\server\\share\\escape-share.txt"},
      {"a name past the path limit", "C:\\" + std::string(300, 'e') + "scape"},
      {"a directory past the path limit", "C:\\" + std::string(250, 'd') + "\\escape.txt"},
      {"a link in the machine folder leading out", "C:\\Out\\escape-link.txt", "C:\\App",
       [](HostileInstall& m) { fs::create_directory_symlink(m.outside(), m.Native("Out")); }},
      {"a dangling link as the destination file", "C:\\App\\escape-dangling.txt", "C:\\App",
       [](HostileInstall& m) {
         fs::create_directories(m.Native("App"));
         fs::create_symlink(m.outside() / "escape-dangling.txt",
                            m.Native("App/escape-dangling.txt"));
       }},
      {"a link in the current directory leading out", "out\\escape-current.txt", "C:\\App",
       [](HostileInstall& m) {
         fs::create_directory_symlink(m.outside(), m.root() / "current" / "out");
       }},
      {"the installation directory behind a link leading out", "?APPDIR?\\escape.txt", "C:\\Out",
       [](HostileInstall& m) { fs::create_directory_symlink(m.outside(), m.Native("Out")); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostileInstall machine;
    if (c.arrange) c.arrange(machine);
    const std::set<std::string> above = NamesIn(machine.root().parent_path());
    EXPECT_EQ(2,
              machine.RunScript({"F|p.cmp|" + c.destination, "F|p.cmp|C:\\after.txt"}, c.destDir));
    EXPECT_FALSE(machine.windows.messageBoxes().empty());
    EXPECT_FALSE(machine.Installed("after.txt")) << "the run went on after the refused file";
    machine.ExpectNothingEscaped(above);
  }
}

}  // namespace
}  // namespace setup::testing
