// The host's shell links: the .lnk bytes (read back, and by lnkinfo) and the link object's Save.
#include "platform/host/shell/lnk_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/host/ansi_code_page.h"
#include "platform/host/shell/lnk_shell_link.h"
#include "support/fake_file_system.h"
#include "support/lnk_reader.h"
#include "support/temp_dir.h"

namespace setup {
namespace {

constexpr std::uint32_t kHasLinkInfo = 0x2;
constexpr std::uint32_t kHasName = 0x4;
constexpr std::uint32_t kIsUnicode = 0x80;

struct LinkCase {
  const char* what;
  std::string target;
  std::string description;
  std::string basePath;  // as the link info holds it
  std::string suffix;
};

const LinkCase kLinkCases[] = {
    {"local path", "C:\\Program Files\\App\\app.exe", "Start App",
     "C:\\Program Files\\App\\app.exe", ""},
    {"code-page bytes", "D:\\Caf\xe9\\men\xfc.exe", "Caf\xe9 \x80 menu", "D:\\Caf\xe9\\men\xfc.exe",
     ""},
    {"no description", "C:\\app.exe", "", "C:\\app.exe", ""},
    {"network share", "\\\\server\\share\\dir\\app.exe", "On the share", "\\\\server\\share",
     "dir\\app.exe"},
    {"bare share", "\\\\server\\share", "Share", "\\\\server\\share", ""},
};

TEST(LnkWriterTest, LinksReadBackWithTheirTargetAndDescription) {
  for (const LinkCase& c : kLinkCases) {
    SCOPED_TRACE(c.what);
    ShellLinkFields fields;
    fields.target = c.target;
    fields.description = c.description;
    const auto link = testing::ParseShellLink(WriteShellLink(fields));
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(link->target, c.target);
    EXPECT_EQ(link->basePath, c.basePath);
    EXPECT_EQ(link->commonPathSuffix, c.suffix);
    EXPECT_EQ(link->description, c.description);
    EXPECT_FALSE(link->hasIdList);
    EXPECT_EQ(link->linkFlags & kIsUnicode, 0u) << "texts stay in the code page";
    EXPECT_EQ((link->linkFlags & kHasName) != 0, !c.description.empty());
  }
}

TEST(LnkWriterTest, OddFieldsStillMakeAWellFormedLink) {
  ShellLinkFields empty;
  auto link = testing::ParseShellLink(WriteShellLink(empty));
  ASSERT_TRUE(link.has_value());
  EXPECT_EQ(link->linkFlags & (kHasLinkInfo | kHasName), 0u);

  ShellLinkFields odd;
  odd.target = std::string("C:\\a.exe\0C:\\b.exe", 17);  // the reader would stop at the zero
  odd.description = std::string(70000, 'd');             // the count field holds 65535
  link = testing::ParseShellLink(WriteShellLink(odd));
  ASSERT_TRUE(link.has_value());
  EXPECT_EQ(link->target, "C:\\a.exe");
  EXPECT_EQ(link->description, std::string(65535, 'd'));
}

// lnkinfo's "Name : value" lines.
std::map<std::string, std::string> RunLnkinfo(const std::filesystem::path& file) {
  const std::filesystem::path out = file.string() + ".txt";
  const std::string command = "lnkinfo '" + file.string() + "' > '" + out.string() + "' 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << testing::ReadFileBytes(out);
  std::map<std::string, std::string> values;
  std::ifstream in(out);
  for (std::string line; std::getline(in, line);) {
    const std::size_t colon = line.find(": ");
    const std::size_t start = line.find_first_not_of('\t');
    if (colon == std::string::npos || start >= colon) continue;
    const std::size_t end = line.find_last_not_of("\t ", colon - 1);
    values[line.substr(start, end + 1 - start)] = line.substr(colon + 2);
  }
  return values;
}

TEST(LnkWriterTest, LnkinfoReadsTheTargetAndDescription) {
  if (!std::filesystem::exists("/usr/bin/lnkinfo")) GTEST_SKIP() << "lnkinfo is not installed";
  testing::TempDir dir;
  int index = 0;
  for (const LinkCase& c : kLinkCases) {
    SCOPED_TRACE(c.what);
    ShellLinkFields fields;
    fields.target = c.target;
    fields.description = c.description;
    fields.fileAttributes = FILE_ATTRIBUTE_ARCHIVE;
    fields.fileSize = 4242;
    const auto file = dir.path() / ("link" + std::to_string(index++) + ".lnk");
    testing::WriteFileBytes(file, WriteShellLink(fields));
    auto values = RunLnkinfo(file);
    const bool share = c.target.rfind("\\\\", 0) == 0;
    // lnkinfo shows code-page texts in UTF-8; the bytes themselves are checked above.
    const bool ascii =
        (c.target + c.description).find_first_of("\x80\xe9\xfc") == std::string::npos;
    if (ascii) {
      EXPECT_EQ(values[share ? "Network path" : "Local path"], c.target);
    }
    EXPECT_EQ(values["File size"], "4242 bytes");
    if (c.description.empty()) {
      EXPECT_EQ(values.count("Description"), 0u);
    } else if (ascii) {
      EXPECT_EQ(values["Description"], c.description);
    }
  }
}

TEST(AnsiCodePageTest, EveryByteRoundTripsAndOtherCharactersAreRefused) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
  const std::u16string wide = AnsiToUtf16(all);
  EXPECT_EQ(wide[0x80 - 1], u'\u20AC');  // the euro sign
  EXPECT_EQ(wide[0x81 - 1], u'\u0081');  // undefined bytes keep their value
  EXPECT_EQ(wide[0xE9 - 1], u'\u00E9');
  std::string back;
  ASSERT_TRUE(Utf16ToAnsi(wide, &back));
  EXPECT_EQ(back, all);
  for (const char16_t unit : {u'\u4E2D', u'\u0100', u'\u0080', char16_t{0xD800}}) {
    back = "unchanged";
    EXPECT_FALSE(Utf16ToAnsi(std::u16string(u"a") + unit, &back)) << int{unit};
    EXPECT_EQ(back, "unchanged");
  }
}

class HostShellLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files_.PutFile("C:\\App\\app.exe", std::string(1234, 'x'));
    ASSERT_EQ(files_.CreateDirectory("C:\\Group"), kErrorSuccess);
    ASSERT_EQ(CreateHostShellLink(files_, &link_), kSOk);
    link_->SetPath("C:\\App\\app.exe");
    link_->SetDescription("The app");
  }

  testing::FakeFileSystem files_;
  std::unique_ptr<ShellLink> link_;
};

TEST_F(HostShellLinkTest, SaveWritesTheLinkWithTheTargetsAttributesAndSize) {
  ASSERT_EQ(link_->QueryPersistFile(), kSOk);
  ASSERT_EQ(link_->Save(AnsiToUtf16("C:\\Group\\Caf\xe9.lnk"), true), kSOk);
  const auto bytes = files_.FileBytes("C:\\Group\\Caf\xe9.lnk");
  ASSERT_TRUE(bytes.has_value());
  const auto link = testing::ParseShellLink(*bytes);
  ASSERT_TRUE(link.has_value());
  EXPECT_EQ(link->target, "C:\\App\\app.exe");
  EXPECT_EQ(link->description, "The app");
  EXPECT_EQ(bytes->substr(0x18, 4), std::string("\x20\0\0\0", 4));    // archive
  EXPECT_EQ(bytes->substr(0x34, 4), std::string("\xD2\x04\0\0", 4));  // 1234 bytes
}

TEST_F(HostShellLinkTest, FailedSavesAnswerAFailureAndLeaveNoFile) {
  struct Case {
    const char* what;
    std::u16string path;
    int openErrno;      // injected into Open of `path`; 0 = none
    int failWriteCall;  // 0 = none
    bool failClose;
    HResult expected;
  };
  const Case cases[] = {
      {"missing folder", u"C:\\Missing\\App.lnk", 2, 0, false, static_cast<HResult>(0x80070003)},
      {"missing file in an existing folder", u"C:\\Group\\App.lnk", 2, 0, false,
       static_cast<HResult>(0x80070002)},
      {"access denied", u"C:\\Group\\App.lnk", 13, 0, false, static_cast<HResult>(0x80070005)},
      {"a write fails", u"C:\\Group\\App.lnk", 0, 1, false, static_cast<HResult>(0x8007001D)},
      {"close fails", u"C:\\Group\\App.lnk", 0, 0, true, static_cast<HResult>(0x8007001D)},
      {"a path outside the code page", u"C:\\Group\\\u4E2D.lnk", 0, 0, false,
       static_cast<HResult>(0x8007007B)},
      {"empty path", u"", 0, 0, false, kEInvalidArg},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::FakeFileSystem files;
    ASSERT_EQ(files.CreateDirectory("C:\\Group"), kErrorSuccess);
    std::string path;
    if (c.openErrno != 0 && Utf16ToAnsi(c.path, &path)) files.openErrors[path] = c.openErrno;
    files.failWriteCall = c.failWriteCall;
    files.failClose = c.failClose;
    std::unique_ptr<ShellLink> link;
    ASSERT_EQ(CreateHostShellLink(files, &link), kSOk);
    link->SetPath("C:\\App\\app.exe");
    ASSERT_EQ(link->QueryPersistFile(), kSOk);
    EXPECT_EQ(link->Save(c.path, true), c.expected);
    EXPECT_FALSE(files.FileExists("C:\\Group\\App.lnk"));
    EXPECT_FALSE(files.DirectoryExists("C:\\Missing"));
    EXPECT_EQ(files.openFiles, 0);
  }
}

TEST_F(HostShellLinkTest, SaveBeforeAskingForThePersistFileFails) {
  EXPECT_EQ(link_->Save(u"C:\\Group\\App.lnk", true), kEFail);
  EXPECT_FALSE(files_.FileExists("C:\\Group\\App.lnk"));
}

}  // namespace
}  // namespace setup
