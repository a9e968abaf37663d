// Shortcuts over the shell-link interface: the COM sequence, the path limit, and what the closing
// sequence makes of each result.
#include "install/shortcuts.h"

#include <gtest/gtest.h>

#include "install/dlg_decompress.h"
#include "support/engine_rig.h"
#include "support/fake_platform.h"

namespace setup::testing {
namespace {

constexpr HResult kSFalse = 1;

TEST(CreateShortcut, AnswersTheLastShellResultAndNeverSavesAnUnconvertedPath) {
  struct Case {
    const char* name;
    std::size_t pathLength;
    HResult createResult, saveResult;
    HResult result;
    bool saved;
  };
  const std::vector<Case> cases = {
      {"saved", 100, kSOk, kSOk, kSOk, true},
      {"longest path that fits", 259, kSOk, kSOk, kSOk, true},
      {"one unit too long", 260, kSOk, kSOk, HResultFromWin32(122), false},
      {"no shell-link class", 100, kClassENotRegistered, kSOk, kClassENotRegistered, false},
      {"save fails", 100, kSOk, HResultFromWin32(kErrorAccessDenied),
       HResultFromWin32(kErrorAccessDenied), false},
      {"save answers S_FALSE", 100, kSOk, kSFalse, kSFalse, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeShell shell;
    shell.createLinkResult = c.createResult;
    shell.saveResult = c.saveResult;
    std::string linkFile = "C:\\Menu\\";
    linkFile += std::string(c.pathLength - linkFile.size() - 4, 'x') + ".lnk";
    ASSERT_EQ(c.pathLength, linkFile.size());

    EXPECT_EQ(c.result, CreateShortcut(shell, "C:\\App\\app.exe", linkFile, "The program"));
    EXPECT_EQ(1, shell.coInitializeCalls);
    EXPECT_EQ(1, shell.coUninitializeCalls);
    ASSERT_EQ(c.saved ? 1u : 0u, shell.savedLinks.size());
    if (c.saved) {
      EXPECT_EQ("C:\\App\\app.exe", shell.savedLinks[0].path);
      EXPECT_EQ("The program", shell.savedLinks[0].description);
      EXPECT_EQ(std::u16string(linkFile.begin(), linkFile.end()), shell.savedLinks[0].file);
      EXPECT_TRUE(shell.savedLinks[0].remember);
    }
  }
}

// Only S_OK with the file really there counts as a shortcut made.
TEST(CreateShortcuts, SuccessNeedsSOkAndTheFileOnDisk) {
  struct Case {
    const char* name;
    HResult saveResult;
    bool fileThere;
    bool success;
  };
  const std::vector<Case> cases = {
      {"saved and there", kSOk, true, true},
      {"saved but missing", kSOk, false, false},
      {"S_FALSE", kSFalse, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform fake;
    fake.shell.saveResult = c.saveResult;
    SetupScript script;
    script.links = {LinkEntry{"C:\\Menu\\Group\\Tool.lnk", "C:\\App\\tool.exe", "Tool"}};
    if (c.fileThere) fake.files.PutFile("C:\\Menu\\Group\\Tool.lnk", "link");
    InstallLog log(fake.files, fake.clock, HiddenNamesOf(script));
    Decompressor decompressor(fake.files, fake.windows);
    InstallContext context{fake.platform, script, log, decompressor};
    DlgDecompress dialog(context);

    CreateShortcuts(dialog);
    EXPECT_TRUE(fake.files.DirectoryExists("C:\\Menu\\Group"));
    const std::vector<std::string> lines = LogMessagesOf(log.Pending());
    ASSERT_FALSE(lines.empty());
    if (c.success) {
      EXPECT_EQ("Successfully created: C:\\Menu\\Group\\Tool.lnk", lines.back());
      EXPECT_TRUE(fake.windows.messageBoxes().empty());
      continue;
    }
    EXPECT_EQ("Failed to create shortcut to C:\\App\\tool.exe", lines.back());
    ASSERT_EQ(1u, fake.windows.messageBoxes().size());
    EXPECT_EQ(
        "Failed to create start menu shortcut to\nC:\\App\\tool.exe\nYou still can run the "
        "program from its directory",
        fake.windows.messageBoxes()[0].text);
    EXPECT_EQ(std::optional<std::string>("Setup"), fake.windows.messageBoxes()[0].caption);
  }
}

}  // namespace
}  // namespace setup::testing
