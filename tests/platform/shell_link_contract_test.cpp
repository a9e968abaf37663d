// Shell-link objects as CLSID_ShellLink's IShellLinkA and IPersistFile answer, on every platform.
#include <gtest/gtest.h>

#include <string>

#include "platform/ascii_case.h"
#include "support/lnk_reader.h"
#include "support/test_platform.h"
#include "support/write_whole_file.h"

namespace setup {
namespace {

class ShellLinkContract : public ::testing::TestWithParam<testing::ContractMachine> {
 protected:
  void SetUp() override {
    machine_ = GetParam().make();
    if (!machine_.shell) GTEST_SKIP() << "this platform has no shell yet";
    machine_.shell->CoInitialize();
    initialized_ = true;
  }
  void TearDown() override {
    if (initialized_) machine_.shell->CoUninitialize();
  }

  std::string Path(const std::string& relative) { return machine_.scratch + "\\" + relative; }

  void WriteFile(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(testing::WriteWholeFile(*machine_.files, path, bytes));
  }

  std::string ReadFile(const std::string& path) {
    auto file = machine_.files->Open(path, OpenMode::kReadBinary, nullptr);
    if (file == nullptr) return "<missing>";
    std::string bytes;
    char buffer[4096];
    for (std::size_t got; (got = file->Read(buffer, sizeof buffer)) > 0;) bytes.append(buffer, got);
    return bytes;
  }

  // The shortcut-creating sequence; the result of Save.
  HResult SaveLink(const std::string& target, const std::string& description,
                   const std::string& linkFile) {
    std::unique_ptr<ShellLink> link;
    const HResult created = machine_.shell->CreateShellLink(&link);
    EXPECT_EQ(created, kSOk);
    if (created != kSOk) return created;
    link->SetPath(target);
    link->SetDescription(description);
    EXPECT_EQ(link->QueryPersistFile(), kSOk);
    std::u16string wide;
    EXPECT_TRUE(machine_.shell->MultiByteToWideChar(linkFile, kMaxPath, &wide));
    return link->Save(wide, true);
  }

  testing::TestMachine machine_;
  bool initialized_ = false;
};

TEST_P(ShellLinkContract, SavedLinksNameTheirTargetAndDescription) {
  ASSERT_EQ(machine_.files->CreateDirectory(Path("My App")), kErrorSuccess);
  ASSERT_EQ(machine_.files->CreateDirectory(Path("Group")), kErrorSuccess);
  WriteFile(Path("My App\\app.exe"), "program");
  WriteFile(Path("My App\\Read me.txt"), "notes");
  struct Case {
    std::string target;
    std::string description;
    std::string linkFile;
  };
  const Case cases[] = {
      {Path("My App\\app.exe"), "Start My App", Path("Group\\My App.lnk")},
      {Path("My App\\Read me.txt"), "Read me first, then start the program",
       Path("Group\\Read me.lnk")},
      // A second save to the same file replaces it.
      {Path("My App\\Read me.txt"), "Notes", Path("Group\\My App.lnk")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.linkFile);
    ASSERT_EQ(SaveLink(c.target, c.description, c.linkFile), kSOk);
    const auto link = testing::ParseShellLink(ReadFile(c.linkFile));
    ASSERT_TRUE(link.has_value());
    // Paths compare without regard to ASCII letter case, as Windows compares them.
    EXPECT_EQ(LowerCaseAscii(link->target), LowerCaseAscii(c.target));
    EXPECT_EQ(link->description, c.description);
  }
}

TEST_P(ShellLinkContract, SavingIntoAMissingFolderFailsAndCreatesNothing) {
  WriteFile(Path("app.exe"), "program");
  const HResult result = SaveLink(Path("app.exe"), "App", Path("Missing\\App.lnk"));
  EXPECT_EQ(result, HResultFromWin32(kErrorPathNotFound)) << std::hex << result;
  EXPECT_FALSE(machine_.files->FindFirstFile(Path("Missing")).has_value());
}

INSTANTIATE_TEST_SUITE_P(Implementations, ShellLinkContract,
                         ::testing::ValuesIn(testing::ContractMachines()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup
