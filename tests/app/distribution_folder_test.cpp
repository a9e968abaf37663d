// Started from another folder: the installer works where its distribution is, and a run started
// in the distribution behaves as before.
#include "app/distribution_folder.h"

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "support/fake_program_folder.h"
#include "wizard_rig.h"

namespace setup::testing {
namespace {

using Names = std::set<std::string>;
using Lines = std::vector<std::string>;

TEST(DistributionFolder, TheProgramsFolderOnlyWhenTheCurrentOneHoldsNoDistribution) {
  struct Case {
    const char* name;
    Names current;
    Names program;
    bool canEnter;
    DistributionFolder expected;
  };
  const Case cases[] = {
      {"started in the distribution",
       {"setup.drc"},
       {"setup.drc"},
       true,
       DistributionFolder::kCurrent},
      {"a plain script here", {"setup.txt"}, {"setup.drc"}, true, DistributionFolder::kCurrent},
      {"from the system directory", {}, {"setup.drc"}, true, DistributionFolder::kProgram},
      {"a plain script beside the program", {}, {"setup.txt"}, true, DistributionFolder::kProgram},
      {"no distribution anywhere", {}, {}, true, DistributionFolder::kCurrent},
      {"other files beside the program",
       {"readme.txt"},
       {"Setup.exe"},
       true,
       DistributionFolder::kCurrent},
      {"the folder cannot be entered", {}, {"setup.drc"}, false, DistributionFolder::kCurrent},
  };
  for (const Case& c : cases) {
    FakeFileSystem files;
    FakeProgramFolder folder(files, "C:\\pkg\\");
    folder.current = c.current;
    folder.program = c.program;
    folder.canEnter = c.canEnter;
    EXPECT_EQ(c.expected, EnterDistributionFolder(folder)) << c.name;
    EXPECT_EQ(c.expected == DistributionFolder::kProgram, folder.entered) << c.name;
  }
}

// The welcome text comes from the program's folder as the platform names it, and a missing
// one is logged by that path.
TEST(DistributionFolder, WelcomeTextComesFromBesideTheProgram) {
  for (const bool present : {true, false}) {
    WizardRig rig;
    rig.WriteScript({"; a product without files", "X|C:\\Apps\\Tool"});
    if (present) rig.files.PutFile("C:\\pkg\\Setup2.txt", "Welcome from the package");
    FakeProgramFolder folder(rig.files, "C:\\pkg\\");
    rig.PressCancel();
    SetupApp app(rig.platform, {"Setup.exe"}, &folder);
    EXPECT_EQ(kExitCancelled, app.InitInstance());
    if (present) {
      EXPECT_EQ((Lines{"Welcome from the package"}), rig.windows.TextsOf(IDC_WELCOME_TEXT));
    } else {
      EXPECT_EQ(
          (Lines{"Failed to load C:\\pkg\\Setup2.txt. Reported reason: No such file or directory",
                 "Installation cancelled"}),
          MessagesOf(app.log().Pending()));
    }
  }
}

}  // namespace
}  // namespace setup::testing
