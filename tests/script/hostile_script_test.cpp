// Setup scripts written to hurt: lines at and past the line buffer's length, zero bytes, tens of
// thousands of lines, paths that climb or name missing drives, expansions that grow a line far
// past its length, and a file that changes between the loader's two passes. Each has a defined
// result, and no record is ever stored outside the tables the counting pass sized.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/forwarding_file_system.h"
#include "script/script_loader.h"
#include "support/fake_platform.h"
#include "support/script_file_test.h"

namespace setup {
namespace {

using testing::FakePlatform;
using testing::Scrambled;

class HostileScriptTest : public testing::ScriptFileTest {
 protected:
  int Load(const std::string& plain, const char* destination = "C:\\App") {
    const int result = LoadScript(plain, destination);
    EXPECT_EQ(0, fake.files.openFiles) << "the script stays open";
    return result;
  }
};

// A line of exactly `bytes` bytes, line end included: the kind, '|', then filler.
std::string LineOfLength(char kind, std::size_t bytes, const std::string& end) {
  return std::string(1, kind) + "|" + std::string(bytes - 2 - end.size(), 'x') + end;
}

TEST_F(HostileScriptTest, LinesAroundTheBufferLengthForEveryKind) {
  // A line may take 520 bytes with its line feed; a CR LF line keeps 518 characters of text and
  // a bare line feed line 518 too (its last character is dropped).
  struct Case {
    std::size_t bytes;
    std::string end;
    int result;
  };
  const std::vector<Case> cases = {
      {518, "\r\n", 1},  {519, "\r\n", 1},   {520, "\r\n", 1}, {521, "\r\n", 0}, {522, "\r\n", 0},
      {1024, "\r\n", 0}, {70000, "\r\n", 0}, {519, "\n", 1},   {520, "\n", 1},   {521, "\n", 0},
  };
  for (char kind : {'F', 'K', 'L', 'H', 'X', ';', 'f'}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(1, kind) + " line of " + std::to_string(c.bytes) + " bytes" +
                   (c.end == "\n" ? " with a bare line feed" : ""));
      script = SetupScript();
      const std::string line = LineOfLength(kind, c.bytes, c.end);
      ASSERT_EQ(c.bytes, line.size());
      // Records around it show that nothing was split off, shifted or dropped.
      EXPECT_EQ(c.result, Load("H|before\r\n" + line + "H|after\r\n"));
      // Kind, '|' and the line end go, and so does the last filler byte before a bare line feed.
      const std::string fields(c.bytes - 4, 'x');
      std::vector<std::string> hidden = {"before"};
      if (c.result == 1 && kind == 'H') hidden.push_back(fields);
      if (c.result == 1) hidden.push_back("after");
      EXPECT_EQ(hidden, script.hiddenNames);
      if (c.result == 0) continue;
      switch (kind) {
        case 'F':
        case 'f':
          ASSERT_EQ(1u, script.files.size());
          EXPECT_EQ(fields, script.files[0].destination);
          break;
        case 'X':
          EXPECT_EQ(fields, script.defaultDirectory);
          break;
        case 'K':
          // No separator after the type: an empty type, so nothing is typed.
          ASSERT_EQ(1u, script.registryEntries.size());
          EXPECT_EQ(RegistryType::kAbsent, script.registryEntries[0].type);
          break;
        case 'L':
          ASSERT_EQ(1u, script.links.size());
          EXPECT_EQ(fields, script.links[0].description);
          break;
        default:
          break;
      }
    }
  }
}

TEST_F(HostileScriptTest, OverlongLineAnywhereEndsTheLoadWithTheRecordsBeforeIt) {
  const std::string tooLong = LineOfLength('F', 600, "\r\n");
  EXPECT_EQ(0, Load(tooLong + "F|a|b\r\n"));
  EXPECT_TRUE(script.files.empty() || script.files[0].destination.empty());
  EXPECT_EQ(0, Load("F|a|b\r\n" + tooLong));
  ASSERT_FALSE(script.files.empty());
  EXPECT_EQ("b", script.files[0].destination);
  // Overlong without a line feed is no line at all.
  EXPECT_EQ(1, Load("F|a|b\r\n" + std::string(100000, 'F')));
  EXPECT_EQ(1u, script.files.size());
}

TEST_F(HostileScriptTest, ZeroBytesInsideLines) {
  using namespace std::string_literals;
  struct Case {
    const char* name;
    std::string plain;
    int result;
    std::vector<std::string> destinations;
    std::vector<std::string> hidden;
  };
  const std::vector<Case> cases = {
      {"zero in a destination cuts it", "F|a|C:\\x\0..\\..\\y\r\n"s, 1, {"C:\\x"}, {}},
      {"zero as separator leaves a line too short", "F\0a|b\r\nF|c|d\r\n"s, 1, {"d"}, {}},
      {"zero as kind stops the load", "F|a|b\r\n\0|c|d\r\n"s, 0, {"b"}, {}},
      {"zero right after the kind", "H|\0secret\r\n"s, 1, {}, {}},
      {"zero in a hidden name", "H|pri\0vate\r\nF|a|b\r\n"s, 1, {"b"}, {"pri"}},
      {"only zero bytes and a line feed", std::string(519, '\0') + "\n", 0, {}, {}},
      {"zero bytes without any line feed", std::string(5000, '\0'), 1, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    script = SetupScript();
    EXPECT_EQ(c.result, Load(c.plain));
    EXPECT_EQ(c.destinations, Destinations());
    EXPECT_EQ(c.hidden, script.hiddenNames);
  }
}

TEST_F(HostileScriptTest, ZeroInsideARegistryLineEndsItsText) {
  using namespace std::string_literals;
  ASSERT_EQ(1, Load("K|DWORD|HKEY_USERS|S|n|12\0"
                    "34\r\nK|SZ\0|HKEY_USERS|S|n|v\r\n"s));
  ASSERT_EQ(2u, script.registryEntries.size());
  EXPECT_EQ(RegistryType::kDword, script.registryEntries[0].type);
  EXPECT_EQ(12u, script.registryEntries[0].dwordValue);
  // "SZ" alone: no separator after the type, so it is the value and the type is empty.
  EXPECT_EQ(RegistryType::kAbsent, script.registryEntries[1].type);
}

TEST_F(HostileScriptTest, TensOfThousandsOfLinesKeepTheirOrder) {
  std::string plain;
  constexpr int kLines = 40000;
  for (int i = 0; i < kLines; ++i) {
    const std::string n = std::to_string(i);
    switch (i % 5) {
      case 0:
        plain += "F|" + n + ".cmp|?APPDIR?\\" + n + "\r\n";
        break;
      case 1:
        plain += "K|DWORD|HKEY_CURRENT_USER|S|v" + n + "|" + n + "\r\n";
        break;
      case 2:
        plain += "L|l" + n + "|t" + n + "|d" + n + "\r\n";
        break;
      case 3:
        plain += "H|h" + n + "\r\n";
        break;
      default:
        plain += "; comment " + n + "\r\n";
        break;
    }
  }
  ASSERT_EQ(1, Load(plain));
  ASSERT_EQ(static_cast<std::size_t>(kLines / 5), script.files.size());
  ASSERT_EQ(script.files.size(), script.registryEntries.size());
  ASSERT_EQ(script.files.size(), script.links.size());
  ASSERT_EQ(script.files.size(), script.hiddenNames.size());
  for (std::size_t r = 0; r < script.files.size(); r += 997) {
    const std::size_t i = r * 5;
    EXPECT_EQ("C:\\App\\" + std::to_string(i), script.files[r].destination);
    EXPECT_EQ(i + 1, script.registryEntries[r].dwordValue);
    EXPECT_EQ("d" + std::to_string(i + 2), script.links[r].description);
    EXPECT_EQ("h" + std::to_string(i + 3), script.hiddenNames[r]);
  }
}

TEST_F(HostileScriptTest, HostilePathsAreKeptAsWrittenForTheFileLayerToJudge) {
  // The loader neither resolves nor refuses a path: where a destination may go is the file
  // layer's business, on Windows as on the host.
  const std::string longName(300, 'n');
  const std::vector<std::string> destinations = {
      "..\\..\\..\\outside.txt", "C:\\..\\..\\Windows\\..\\..\\x.dll",
      "Q:\\no\\such\\drive.txt", "\\\\server\\share\\x.txt",
      "C:\\" + longName,         "?APPDIR?\\..\\..\\..\\up.txt",
  };
  std::string plain;
  for (const std::string& d : destinations) plain += "F|a.cmp|" + d + "\r\n";
  ASSERT_EQ(1, Load(plain, "C:\\App"));
  ASSERT_EQ(destinations.size(), script.files.size());
  for (std::size_t i = 0; i + 1 < destinations.size(); ++i) {
    EXPECT_EQ(destinations[i], script.files[i].destination);
  }
  EXPECT_EQ("C:\\App\\..\\..\\..\\up.txt", script.files.back().destination);
}

TEST_F(HostileScriptTest, ExpansionsGrowALineFarBeyondItsLengthWithoutCuttingIt) {
  // 259 bytes is the longest directory a system path buffer holds; 64 of them in one line.
  fake.files.windowsDirectory = "C:\\" + std::string(256, 'w');
  std::string fields;
  while (fields.size() + 9 <= 510) fields += "?WINDOWS?";
  const std::string line = "F|" + fields + "\r\n";
  ASSERT_LE(line.size(), 520u);
  ASSERT_EQ(1, Load(line));
  ASSERT_EQ(1u, script.files.size());
  std::string expected;
  for (std::size_t i = 0; i < fields.size() / 9; ++i) expected += fake.files.windowsDirectory;
  EXPECT_EQ(expected, script.files[0].destination);

  // A directory too long for the buffer becomes nothing rather than a cut path.
  fake.files.windowsDirectory = "C:\\" + std::string(257, 'w');
  ASSERT_EQ(1, Load("F|a|?WINDOWS?\\x\r\n"));
  EXPECT_EQ("\\x", script.files[0].destination);

  // A destination that holds macro words, 57 times over: expansion ends.
  ASSERT_EQ(1, Load(
                   "F|a|" +
                       [] {
                         std::string s;
                         for (int i = 0; i < 57; ++i) s += "?APPDIR?";
                         return s;
                       }() +
                       "\r\n",
                   "?APPDIR??APPDIR?"));
  EXPECT_EQ(57u * 16u, script.files[0].destination.size());
}

// A file system whose setup.drc reads one text on the counting pass and another after the
// rewind, as a file replaced between the two passes would.
class ChangingScriptFiles final : public ForwardingFileSystem {
 public:
  ChangingScriptFiles(FileSystem& inner, std::string first, std::string second)
      : ForwardingFileSystem(inner), first_(std::move(first)), second_(std::move(second)) {}

  std::unique_ptr<File> Open(const std::string& path, OpenMode mode, int* crtError) override {
    if (path != "setup.drc") return inner().Open(path, mode, crtError);
    return std::make_unique<ChangingFile>(first_, second_);
  }

 private:
  class ChangingFile final : public File {
   public:
    ChangingFile(const std::string& first, const std::string& second)
        : bytes_(Scrambled(first)), second_(Scrambled(second)) {}
    std::size_t Read(void* buffer, std::size_t size) override {
      const std::size_t n = std::min(size, bytes_.size() - at_);
      std::copy_n(bytes_.data() + at_, n, static_cast<char*>(buffer));
      at_ += n;
      return n;
    }
    std::size_t Write(const void*, std::size_t) override { return 0; }
    std::int64_t Tell() override { return static_cast<std::int64_t>(at_); }
    bool Seek(std::int64_t offset) override {
      bytes_ = second_;
      at_ = std::min(static_cast<std::size_t>(offset), bytes_.size());
      return true;
    }
    std::int64_t Length() override { return static_cast<std::int64_t>(bytes_.size()); }
    bool Error() const override { return false; }
    bool Close() override { return true; }

   private:
    std::string bytes_;
    std::string second_;
    std::size_t at_ = 0;
  };

  std::string first_;
  std::string second_;
};

TEST(HostileScript, FileChangedBetweenThePassesNeverOverrunsATable) {
  struct Case {
    const char* name;
    std::string counted;
    std::string parsed;
    int result;
    std::size_t files;
    std::size_t hidden;
  };
  const std::vector<Case> cases = {
      {"more records of every kind", "F|a|b\r\nH|h\r\n",
       "F|a|b\r\nF|c|d\r\nH|h\r\nH|i\r\nK|SZ|r|v\r\nL|l|t|d\r\n", 0, 1, 1},
      {"a line grown too long", "F|a|b\r\nF|c|d\r\n", "F|a|b\r\n" + std::string(700, 'F') + "\r\n",
       0, 2, 0},
      {"fewer lines", "F|a|b\r\nF|c|d\r\nF|e|f\r\n", "F|a|b\r\n", 0, 3, 0},
      {"the same lines", "F|a|b\r\nH|h\r\n", "F|a|b\r\nH|h\r\n", 1, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform fake;
    ChangingScriptFiles files(fake.files, c.counted, c.parsed);
    Platform platform{files, fake.registry, fake.shell, fake.versions, fake.windows, fake.clock};
    SetupScript script;
    EXPECT_EQ(c.result, LoadFileList(platform, script, nullptr, "setup.drc", "C:\\App"));
    EXPECT_EQ(c.files, script.files.size());
    EXPECT_EQ(c.hidden, script.hiddenNames.size());
    EXPECT_TRUE(script.registryEntries.empty());
    EXPECT_TRUE(script.links.empty());
  }
}

}  // namespace
}  // namespace setup
