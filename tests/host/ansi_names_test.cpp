// Non-ASCII names in the machine folder: ANSI on the Windows side, UTF-8 on disk, one name in
// every letter case, and names that older versions stored as raw ANSI bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/host/ansi_code_page.h"
#include "platform/host/files/machine_file_system.h"
#include "support/host/machine_folder_test.h"
#include "support/temp_dir.h"

namespace setup {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

class AnsiNamesTest : public testing::MachineFolderTest {
 protected:
  AnsiNamesTest() : app_(machine_ / "drive_c" / "App") { fs::create_directories(app_); }

  // What `path` holds, or nothing when it cannot be opened.
  std::optional<std::string> Read(const std::string& path) {
    auto file = files_.Open(path, OpenMode::kReadBinary, nullptr);
    if (file == nullptr) return std::nullopt;
    std::string bytes(64, '\0');
    bytes.resize(file->Read(bytes.data(), bytes.size()));
    return bytes;
  }
  std::string Found(const std::string& pattern) {
    const std::optional<FindData> found = files_.FindFirstFile(pattern);
    return found.has_value() ? found->name : "";
  }
  // The names on disk in App, in byte order.
  std::vector<std::string> OnDisk(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path app_;
};

TEST_F(AnsiNamesTest, StoredAsUtf8AndReachedInEveryLetterCase) {
  struct Case {
    std::string written;             // an ANSI path, written first
    std::string stored;              // its last component on disk
    std::vector<std::string> asked;  // other spellings that reach the same file
  };
  const std::vector<Case> cases = {
      {"C:\\App\\caf\xE9 \x80.txt", "caf\xC3\xA9 \xE2\x82\xAC.txt", {"C:\\APP\\CAF\xC9 \x80.TXT"}},
      {"C:\\App\\\xC0 \xE7 \xA9.ini",
       "\xC3\x80 \xC3\xA7 \xC2\xA9.ini",
       {"c:\\app\\\xE0 \xC7 \xA9.INI"}},
      // Windows-1252 letters of the 0x80 row fold with their partners.
      {"C:\\App\\\x8C\x8A\x9F.dat", "\xC5\x92\xC5\xA0\xC5\xB8.dat", {"C:\\App\\\x9C\x9A\xFF.DAT"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    ASSERT_TRUE(Write(c.written, c.written));
    EXPECT_TRUE(fs::exists(app_ / c.stored));
    const std::string ansiName = c.written.substr(c.written.rfind('\\') + 1);
    for (const std::string& path : c.asked) {
      EXPECT_EQ(Read(path), c.written) << path;
      EXPECT_EQ(Found(path), ansiName) << path;
      ASSERT_TRUE(Write(path, "again")) << path;
    }
    EXPECT_EQ(ReadFileBytes(app_ / c.stored), "again") << "written over, not beside";
  }
  EXPECT_EQ(OnDisk(app_).size(), cases.size());
}

TEST_F(AnsiNamesTest, DirectoriesOnTheWayAreConvertedToo) {
  // "Été", and "Â©", whose Windows-1252 bytes happen to be well-formed UTF-8 for "©".
  for (const std::string dir : {"\xC9t\xE9", "\xC2\xA9"}) {
    SCOPED_TRACE(dir);
    ASSERT_EQ(files_.CreateDirectory("C:\\App\\" + dir), kErrorSuccess);
    ASSERT_TRUE(Write("C:\\App\\" + dir + "\\in.txt", dir));
    EXPECT_EQ(Read("C:\\APP\\" + dir + "\\IN.TXT"), dir);
    EXPECT_EQ(Found("C:\\App\\" + dir + "\\*"), ".");
    EXPECT_EQ(files_.DeleteFile("C:\\App\\" + dir + "\\in.txt"), kErrorSuccess);
    EXPECT_EQ(files_.RemoveDirectory("C:\\App\\" + dir), kErrorSuccess);
  }
  ASSERT_EQ(files_.CreateDirectory("C:\\App\\\xC9t\xE9"), kErrorSuccess);
  EXPECT_EQ(files_.CreateDirectory("C:\\App\\\xE9T\xC9"), kErrorAlreadyExists);
  EXPECT_EQ(files_.CreateDirectory("C:\\App\\\xA9"), kErrorSuccess)
      << "\"\xA9\" is not \"\xC2\xA9\"";
  EXPECT_EQ(OnDisk(app_), (std::vector<std::string>{"\xC2\xA9", "\xC3\x89t\xC3\xA9"}));
}

TEST_F(AnsiNamesTest, NamesStoredRawByOlderVersionsAreStillFound) {
  WriteFileBytes(app_ / "Caf\xE9.txt", "old file");
  fs::create_directories(app_ / "R\xE9sum\xE9");
  WriteFileBytes(app_ / "R\xE9sum\xE9" / "in.txt", "old dir");

  EXPECT_EQ(Read("C:\\App\\caf\xC9.TXT"), "old file");
  EXPECT_EQ(Read("C:\\App\\Caf\xE9.txt"), "old file");
  EXPECT_EQ(Read("C:\\App\\R\xC9SUM\xC9\\in.txt"), "old dir");
  EXPECT_EQ(Found("C:\\App\\CAF\xC9.TXT"), "Caf\xE9.txt");
  EXPECT_EQ(Found("C:\\App\\r\xE9*"), "R\xE9sum\xE9");
  ASSERT_TRUE(Write("C:\\App\\Caf\xE9.txt", "new"));
  EXPECT_EQ(ReadFileBytes(app_ / "Caf\xE9.txt"), "new") << "written in place";
  EXPECT_EQ(files_.CreateDirectory("C:\\App\\r\xE9sum\xE9"), kErrorAlreadyExists);
  EXPECT_EQ(files_.DeleteFile("C:\\App\\R\xE9sum\xE9\\in.txt"), kErrorSuccess);
  EXPECT_EQ(files_.RemoveDirectory("C:\\App\\R\xE9SUM\xE9"), kErrorSuccess);
  EXPECT_EQ(files_.DeleteFile("C:\\App\\CAF\xC9.txt"), kErrorSuccess);
  EXPECT_TRUE(OnDisk(app_).empty());
}

TEST_F(AnsiNamesTest, ListingsReportAnsiNames) {
  WriteFileBytes(app_ / "\xC3\xA9t\xC3\xA9.txt", "");      // UTF-8
  WriteFileBytes(app_ / "\xC3\xA0.txt", "");               // UTF-8
  WriteFileBytes(app_ / "\xE7.txt", "");                   // raw, from an older version
  WriteFileBytes(app_ / "\xCE\xA9 \xE4\xB8\xAD.txt", "");  // Greek and Chinese: not in 1252
  EXPECT_EQ(Found("C:\\App\\*.txt"), "? ?.txt") << "sorted ANSI names, '?' for the lacking";
  EXPECT_EQ(Found("C:\\App\\\xC9*"), "\xE9t\xE9.txt");
  EXPECT_EQ(Found("C:\\App\\\xC7.TXT"), "\xE7.txt");
  std::vector<std::string> listed;
  for (const FindData& entry : files_.ListDirectory("C:\\APP")) listed.push_back(entry.name);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"? ?.txt", "\xE0.txt", "\xE7.txt", "\xE9t\xE9.txt"}));
  // A name the code page cannot hold is not reachable through its ANSI form, as on Windows.
  int error = 0;
  EXPECT_EQ(files_.Open("C:\\App\\? ?.txt", OpenMode::kReadBinary, &error), nullptr);
  EXPECT_EQ(error, EINVAL);
}

TEST_F(AnsiNamesTest, TheMachinesCodePageDecides) {
  const std::optional<AnsiCodePage> cyrillic = AnsiCodePage::Load(1251);
  if (!cyrillic) GTEST_SKIP() << "iconv lacks Windows-1251";
  files_.SetCodePage(&*cyrillic);
  ASSERT_TRUE(Write("C:\\App\\\xC9\xCE.txt", "x"));  // "ЙО"
  EXPECT_TRUE(fs::exists(app_ / "\xD0\x99\xD0\x9E.txt"));
  EXPECT_EQ(Read("C:\\App\\\xE9\xEE.TXT"), "x") << "\"йо\" is the same name";
  EXPECT_EQ(Found("C:\\App\\*.txt"), "\xC9\xCE.txt");
}

}  // namespace
}  // namespace setup
