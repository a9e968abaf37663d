// SETUP.LOG: line format, pending lines, opening, hidden names, long lines.
#include "base/install_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "script/setup_script.h"
#include "support/fake_platform.h"
#include "support/test_platform.h"

namespace setup {
namespace {

using testing::FakePlatform;

const char* const kLogPath = "C:\\Apps\\Tool\\SETUP.LOG";

class InstallLogTest : public ::testing::Test {
 protected:
  void SetUp() override { fake.files.PutDirectory("C:\\Apps\\Tool"); }
  std::string LogFile() { return fake.files.FileBytes(kLogPath).value_or("<no file>"); }
  FakePlatform fake;
  SetupScript script;
};

TEST_F(InstallLogTest, TimestampIsEnglishWhateverTheLocale) {
  // A user locale must not change the month names. The test command installs a German locale;
  // without one whose month names differ, there is nothing to show.
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr &&
      std::setlocale(LC_ALL, "German") == nullptr) {
    GTEST_SKIP() << "no German locale is installed (de_DE.UTF-8)";
  }
  std::tm march{};
  march.tm_mon = 2;
  char localName[32] = {};
  std::strftime(localName, sizeof localName, "%b", &march);
  if (std::string(localName) == "Mar") {
    std::setlocale(LC_ALL, previous.c_str());
    GTEST_SKIP() << "the German locale names March as the C locale does";
  }
  const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  InstallLog log(fake.files, fake.clock, HiddenNamesOf(script));
  std::string expected;
  for (int month = 1; month <= 12; ++month) {
    fake.clock.Set(2026, month, month + 2, month + 5, month * 4, month * 3);
    log.Write("Begin %s", "Installation");
    char line[64];
    std::snprintf(line, sizeof line, "%02d %s 2026 %02d:%02d:%02d Begin Installation\r\n",
                  month + 2, months[month - 1], month + 5, month * 4, month * 3);
    expected += line;
  }
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_EQ(expected, log.Pending());
}

TEST_F(InstallLogTest, LineFormats) {
  struct Case {
    const char* name;
    bool clockFails;
    std::string message;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"example", false, "Begin Installation", "06 Dec 2026 08:11:32 Begin Installation\r\n"},
      {"empty message", false, "", "06 Dec 2026 08:11:32 \r\n"},
      {"no clock", true, "Begin Installation", "Begin Installation\r\n"},
      {"longest line", false, std::string(490, 'm'),
       "06 Dec 2026 08:11:32 " + std::string(490, 'm') + "\r\n"},
      {"cut to 511 bytes", false, std::string(600, 'm'),
       "06 Dec 2026 08:11:32 " + std::string(490, 'm') + "\r\n"},
      {"cut without a clock", true, std::string(600, 'm'), std::string(511, 'm') + "\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake.clock.fails = c.clockFails;
    InstallLog log(fake.files, fake.clock, HiddenNamesOf(script));
    log.Write("%s", c.message.c_str());
    EXPECT_EQ(c.expected, log.Pending());
  }
}

TEST_F(InstallLogTest, PendingLinesComeFirstThenLinesGoToTheFile) {
  fake.files.PutFile(kLogPath, "old contents that must go");
  InstallLog log(fake.files, fake.clock, HiddenNamesOf(script));
  log.Write("first");
  fake.clock.Set(2026, 12, 6, 9, 0, 0);
  log.Write("Destination directory: %s", "C:\\Apps\\Tool");
  const std::string pending = log.Pending();

  ASSERT_EQ(1, log.Open(kLogPath));
  EXPECT_EQ(pending, LogFile());
  log.Write("after %d", 3);
  EXPECT_EQ(
      "06 Dec 2026 08:11:32 first\r\n"
      "06 Dec 2026 09:00:00 Destination directory: C:\\Apps\\Tool\r\n"
      "06 Dec 2026 09:00:00 after 3\r\n",
      LogFile());

  // A second Open changes nothing, even for another path.
  EXPECT_EQ(0, log.Open(kLogPath));
  EXPECT_EQ(0, log.Open("C:\\Other\\SETUP.LOG"));
  EXPECT_FALSE(fake.files.FileExists("C:\\Other\\SETUP.LOG"));
  log.Write("last");
  const std::string contents = LogFile();
  EXPECT_EQ(4, std::count(contents.begin(), contents.end(), '\n'));
}

TEST_F(InstallLogTest, FailedOpenKeepsCollectingLines) {
  fake.files.openErrors[kLogPath] = 13;
  InstallLog log(fake.files, fake.clock, HiddenNamesOf(script));
  log.Write("one");
  EXPECT_EQ(0, log.Open(kLogPath));
  EXPECT_FALSE(log.IsOpen());
  log.Write("two");
  EXPECT_FALSE(fake.files.FileExists(kLogPath));

  fake.files.openErrors.clear();
  ASSERT_EQ(1, log.Open(kLogPath));
  EXPECT_EQ("06 Dec 2026 08:11:32 one\r\n06 Dec 2026 08:11:32 two\r\n", LogFile());
}

TEST_F(InstallLogTest, HiddenNamesDropLinesTimestampIncluded) {
  struct Case {
    std::string hiddenName;
    bool kept;
  };
  const std::vector<Case> cases = {
      {"mydll", false}, {"MyDll.dll", false}, {"Dec", false},  // the timestamp is part of the line
      {"08:11", false}, {"Nov", true},        {"otherdll", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hiddenName);
    script.hiddenNames = {c.hiddenName};
    InstallLog log(fake.files, fake.clock, HiddenNamesOf(script));
    log.Write("Will decompress %s to %s", "mydll.cmp", "D:\\Prog\\MYDLL.DLL");
    ASSERT_EQ(1, log.Open(kLogPath));
    log.Write("Copy %s", "D:\\Prog\\MYDLL.DLL");
    EXPECT_EQ(c.kept, !LogFile().empty());
  }
}

TEST(InstallLogOnMachine, FileIsReplacedAndHoldsRawLinesOnceClosed) {
  // The machine's own streams: a text-mode file would turn CR LF into CR CR LF on Windows, and a
  // stream never closed would lose what its buffer still holds.
  testing::TestMachine machine = testing::MakeTestMachine();
  ASSERT_NE(nullptr, machine.files);
  const std::string path = machine.scratch + "\\SETUP.LOG";
  {
    std::unique_ptr<File> old = machine.files->Open(path, OpenMode::kWriteBinary, nullptr);
    ASSERT_NE(nullptr, old);
    const std::string stale(20000, 's');
    old->Write(stale.data(), stale.size());
    ASSERT_TRUE(old->Close());
  }

  FakePlatform fake;
  SetupScript script;
  std::string expected = "06 Dec 2026 08:11:32 before\r\n";
  {
    InstallLog log(*machine.files, fake.clock, HiddenNamesOf(script));
    log.Write("before");
    ASSERT_EQ(1, log.Open(path));
    for (int i = 0; i < 300; ++i) {
      log.Write("line %d %s", i, std::string(40, 'x').c_str());
      expected +=
          "06 Dec 2026 08:11:32 line " + std::to_string(i) + " " + std::string(40, 'x') + "\r\n";
    }
  }

  std::unique_ptr<File> file = machine.files->Open(path, OpenMode::kReadBinary, nullptr);
  ASSERT_NE(nullptr, file);
  std::string contents(expected.size() + 100, '\0');
  contents.resize(file->Read(contents.data(), contents.size()));
  EXPECT_EQ(expected, contents);
}

}  // namespace
}  // namespace setup
