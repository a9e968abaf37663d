// Which keys the uninstaller may remove, and how a script's registry path is taken apart.
#include "base/registry_path.h"

#include <gtest/gtest.h>

#include "base/registry_access.h"
#include "support/fake_registry.h"
#include "uninstall/uninstall_command_line.h"

namespace setup {
namespace {

TEST(RegistryPathTest, ProtectedKeys) {
  struct Case {
    const char* path;
    std::size_t depth;
    bool removable;
  };
  const Case cases[] = {
      {"HKEY_CURRENT_USER|Software|Corp|App|Value", 3, true},
      {"HKEY_CURRENT_USER|Software|Corp|App|Value", 2, true},
      {"HKEY_CURRENT_USER|Software|Corp|App|Value", 1, false},  // Software itself
      {"HKEY_CURRENT_USER|Software|Corp|App|Value", 0, false},  // the root
      {"HKEY_LOCAL_MACHINE|software|microsoft|Windows|CurrentVersion|Uninstall|Prod|X", 6, true},
      {"HKEY_LOCAL_MACHINE|Software|Microsoft|Windows|CurrentVersion|Uninstall|Prod|X", 5, false},
      {"HKEY_LOCAL_MACHINE|Software|Microsoft|Windows|CurrentVersion|Uninstall|Other|X", 6, false},
      {"HKEY_LOCAL_MACHINE|Software|Microsoft|Windows|CurrentVersion|SharedDLLs|X", 5, false},
      {"HKEY_LOCAL_MACHINE|Software|Microsoft|X", 2, false},
      {"HKEY_CURRENT_USER|Software|Microsoft|Windows|CurrentVersion|Uninstall|Prod|X", 6, false},
      {"HKEY_CLASSES_ROOT|.note|X", 1, true},
  };
  for (const Case& c : cases) {
    const auto path = SplitRegistryPath(c.path, '|');
    ASSERT_TRUE(path) << c.path;
    EXPECT_EQ(IsRemovableKey(*path, c.depth, "Prod"), c.removable) << c.path << " " << c.depth;
  }
}

// The uninstaller's split must name exactly the keys the installer's walk wrote.
TEST(RegistryPathTest, SplitsLikeTheInstallersWalk) {
  const char* const paths[] = {
      "hkey_current_user|Software||A\\B|Value\\Name",
      "HKEY_LOCAL_MACHINE|Software|Corp\\\\App|",
      "HKEY_CLASSES_ROOT|Value",
      "HKEY_USERS|.DEFAULT|Software|\\Lead|V",
      "HKEY_FOO|Software|Value",
      "no separator",
  };
  for (const char* text : paths) {
    SCOPED_TRACE(text);
    testing::FakeRegistry registry;
    const int written = WriteRegistryString(registry, text, "x", '|');
    const auto path = SplitRegistryPath(text, '|');
    if (!path) {
      EXPECT_EQ(written, 0);
      continue;
    }
    if (written == 0) {
      // The walk refused a key name the registry refuses; the split still names its levels.
      EXPECT_FALSE(path->keys.empty());
      continue;
    }
    std::string keyPath;
    for (const std::string& level : path->keys) keyPath += (keyPath.empty() ? "" : "\\") + level;
    EXPECT_TRUE(registry.HasKey(path->root, keyPath)) << keyPath;
    EXPECT_TRUE(registry.Get(path->root, keyPath, path->valueName).has_value()) << keyPath;
  }
  const auto path = SplitRegistryPath("hkey_current_user|Software||A\\B|Value\\Name", '|');
  ASSERT_TRUE(path);
  EXPECT_EQ(path->root, kHkeyCurrentUser);
  EXPECT_EQ(path->keys, (std::vector<std::string>{"Software", "A", "B"}));
  EXPECT_EQ(path->valueName, "Value\\Name");
}

TEST(UninstallCommandLineTest, Options) {
  struct Case {
    std::vector<std::string> argv;
    bool ok;
    bool unattended;
  };
  const Case cases[] = {
      {{"u", "/S"}, true, true},
      {{"u", "/silent"}, true, true},
      {{"u", "--unattended", "--remove-shared"}, true, true},
      {{"u", "--remove-shared"}, false, false},
      {{"u", "extra"}, false, false},
      {{"u", "--remove-after=12x"}, false, false},
      {{"u", "--machine"}, false, false},
  };
  for (const Case& c : cases) {
    UninstallCommandLine line;
    std::string error;
    EXPECT_EQ(ParseUninstallCommandLine(c.argv, &line, &error), c.ok) << c.argv.back();
    if (c.ok) {
      EXPECT_EQ(line.unattended, c.unattended);
    } else {
      EXPECT_FALSE(error.empty());
    }
  }
}

// The silent switches fleet tools send to an uninstaller, as to the installer.
TEST(UninstallCommandLineTest, DeploymentToolSilentSwitches) {
  for (const char* silent : {"/S", "/SILENT", "/VERYSILENT", "/verysilent", "/quiet", "/qn"}) {
    UninstallCommandLine line;
    std::string error;
    ASSERT_TRUE(ParseUninstallCommandLine({"u", silent}, &line, &error)) << silent << error;
    EXPECT_TRUE(line.unattended) << silent;
  }
}

}  // namespace
}  // namespace setup
