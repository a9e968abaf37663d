// Loading "setup.drc": line rules, kinds, fields, the counting and parse passes, failures.
#include "script/script_loader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_platform.h"
#include "support/script_file_test.h"

namespace setup {
namespace {

using testing::FakePlatform;
using testing::Scrambled;

class ScriptLoaderTest : public testing::ScriptFileTest {
 protected:
  int Load(const std::string& plain, const char* destination = "C:\\Apps\\Tool") {
    return LoadScript(plain, destination);
  }
};

TEST_F(ScriptLoaderTest, LoadsEveryKindFromTheExampleScript) {
  fake.registry.PutString(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                          "ProgramFilesDir", "C:\\Program Files");
  const std::string plain =
      "; an example\r\n"
      "F|app.cmp|?APPDIR?\\app.exe\r\n"
      "K|SZ|HKEY_LOCAL_MACHINE|Software|Example|Path|?APPDIR?\r\n"
      "K|DWORD|HKEY_CURRENT_USER|Software|Example|Runs|1\r\n"
      "L|?STARTMENU?\\Example\\Example.lnk|?APPDIR?\\app.exe|Example program\r\n"
      "H|private.dll\r\n"
      "X|?PRGFDIR?\\Example\r\n";
  ASSERT_EQ(1, Load(plain));

  ASSERT_EQ(1u, script.files.size());
  EXPECT_EQ("app.cmp", script.files[0].source);
  EXPECT_EQ("C:\\Apps\\Tool\\app.exe", script.files[0].destination);

  ASSERT_EQ(2u, script.registryEntries.size());
  EXPECT_EQ('|', script.registryEntries[0].separator);
  EXPECT_EQ("HKEY_LOCAL_MACHINE|Software|Example|Path", script.registryEntries[0].keyPath);
  EXPECT_EQ(RegistryType::kSz, script.registryEntries[0].type);
  EXPECT_EQ("C:\\Apps\\Tool", script.registryEntries[0].stringValue);
  EXPECT_EQ("HKEY_CURRENT_USER|Software|Example|Runs", script.registryEntries[1].keyPath);
  EXPECT_EQ(RegistryType::kDword, script.registryEntries[1].type);
  EXPECT_EQ(1u, script.registryEntries[1].dwordValue);

  ASSERT_EQ(1u, script.links.size());
  EXPECT_EQ(fake.shell.programsFolder + "\\Example\\Example.lnk", script.links[0].linkFile);
  EXPECT_EQ("C:\\Apps\\Tool\\app.exe", script.links[0].target);
  EXPECT_EQ("Example program", script.links[0].description);

  EXPECT_EQ((std::vector<std::string>{"private.dll"}), script.hiddenNames);
  EXPECT_EQ("C:\\Program Files\\Example", script.defaultDirectory);
}

TEST_F(ScriptLoaderTest, LineEndingsAndResults) {
  struct Case {
    const char* name;
    std::string plain;
    int result;
    std::vector<std::string> destinations;
  };
  const std::vector<Case> cases = {
      {"empty file", "", 1, {}},
      {"last line without a line feed is ignored", "F|a|b\r\nF|c|d", 1, {"b"}},
      {"no line feed at all", "F|a|b", 1, {}},
      {"bare line feed drops the last character", "F|a.cmp|c:\\x.exe\n", 1, {"c:\\x.ex"}},
      {"blank line in the middle stops the load", "F|a|b\r\n\r\nF|c|d\r\n", 0, {"b", ""}},
      {"blank line at the end", "F|a|b\r\n\r\n", 0, {"b"}},
      {"bare empty line", "F|a|b\r\n\n", 0, {"b"}},
      {"unknown kind stops the load", "F|a|b\r\nZ|x|y\r\nF|c|d\r\n", 0, {"b", ""}},
      {"lower-case kind letters", "f|a|b\r\n; c\r\n", 1, {"b"}},
      {"comment is not expanded", ";|?STARTMENU?\r\n", 1, {}},
      {"short kind lines are skipped", "F\r\nX|\r\nK|\r\nf\nF|a|b\r\n", 1, {"b"}},
      {"zero byte ends the text", std::string("F|a|b\0zz\r\n", 10), 1, {"b"}},
      {"line starting with a zero byte", std::string("\0F|a|b\r\n", 8), 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    script = SetupScript();
    EXPECT_EQ(c.result, Load(c.plain));
    EXPECT_EQ(c.destinations, Destinations());
  }
  EXPECT_EQ(0, fake.shell.programsFolderCalls);
}

TEST_F(ScriptLoaderTest, LinesLongerThanTheBufferFailTheLoad) {
  const std::string head = "F|a|";
  // 520 bytes with CR LF: the longest line there is.
  const std::string longest = head + std::string(520 - 2 - head.size(), 'x') + "\r\n";
  ASSERT_EQ(520u, longest.size());
  ASSERT_EQ(1, Load(longest + "F|c|d\r\n"));
  EXPECT_EQ(std::string(520 - 2 - head.size(), 'x'), script.files[0].destination);
  EXPECT_EQ(2u, script.files.size());

  // One byte more is never split into two lines.
  const std::string tooLong = head + std::string(520 - 1 - head.size(), 'x') + "\r\n";
  EXPECT_EQ(0, Load("F|a|b\r\n" + tooLong + "F|c|d\r\n"));
  ASSERT_EQ(1u, script.files.size());
  EXPECT_EQ("b", script.files[0].destination);

  // A long tail without a line feed is not a line, however long.
  EXPECT_EQ(1, Load("F|a|b\r\n" + std::string(2000, 'F')));
  EXPECT_EQ(1u, script.files.size());
}

TEST_F(ScriptLoaderTest, RegistryLinesTypesAndValues) {
  struct Case {
    std::string line;
    RegistryType type;
    std::uint32_t dword;
    std::string text;
    std::string keyPath;
  };
  const std::string key = "HKEY_CURRENT_USER|Software|Example|Runs";
  const std::vector<Case> cases = {
      {"K|DWORD|" + key + "|1", RegistryType::kDword, 1, "", key},
      {"K|DWORD|" + key + "|12abc", RegistryType::kDword, 12, "", key},
      {"K|DWORD|" + key + "|abc", RegistryType::kAbsent, 0, "", key},
      {"K|DWORD|" + key + "|", RegistryType::kAbsent, 0, "", key},
      {"K|DWORD|" + key + "|-1", RegistryType::kDword, 0xFFFFFFFFu, "", key},
      {"K|DWORD|" + key + "|-5", RegistryType::kDword, 0xFFFFFFFBu, "", key},
      {"K|DWORD|" + key + "| \t+42", RegistryType::kDword, 42, "", key},
      {"K|DWORD|" + key + "|4294967295", RegistryType::kDword, 0xFFFFFFFFu, "", key},
      {"K|dword|" + key + "|1", RegistryType::kAbsent, 0, "", key},
      {"K|sz|" + key + "|x", RegistryType::kAbsent, 0, "", key},
      {"K||" + key + "|x", RegistryType::kAbsent, 0, "", key},
      {"K|SZ|" + key + "|a value", RegistryType::kSz, 0, "a value", key},
      {"K|SZ|" + key + "|", RegistryType::kSz, 0, "", key},
      {"K|SZ|" + key + "|cut|here", RegistryType::kSz, 0, "here", key + "|cut"},
      {"K|SZ|novalue", RegistryType::kSz, 0, "novalue", ""},
      {"k\\SZ\\HKEY_USERS\\S\\Name\\v", RegistryType::kSz, 0, "v", "HKEY_USERS\\S\\Name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ASSERT_EQ(1, Load(c.line + "\r\n"));
    ASSERT_EQ(1u, script.registryEntries.size());
    const RegistryEntry& entry = script.registryEntries[0];
    EXPECT_EQ(c.line[1], entry.separator);
    EXPECT_EQ(c.keyPath, entry.keyPath);
    EXPECT_EQ(c.type, entry.type);
    EXPECT_EQ(c.dword, entry.dwordValue);
    EXPECT_EQ(c.text, entry.stringValue);
  }
}

TEST_F(ScriptLoaderTest, FileAndLinkFieldsSplitAtTheirSeparators) {
  ASSERT_EQ(1, Load("F|app.cmp\r\n"
                    "F#a.cmp#C:\\x#y\r\n"
                    "L|only\r\n"
                    "L|link|target|with|desc\r\n"));
  ASSERT_EQ(2u, script.files.size());
  EXPECT_EQ("", script.files[0].source);
  EXPECT_EQ("app.cmp", script.files[0].destination);
  EXPECT_EQ("a.cmp", script.files[1].source);
  EXPECT_EQ("C:\\x#y", script.files[1].destination);
  ASSERT_EQ(2u, script.links.size());
  EXPECT_EQ("", script.links[0].linkFile);
  EXPECT_EQ("", script.links[0].target);
  EXPECT_EQ("only", script.links[0].description);
  EXPECT_EQ("link", script.links[1].linkFile);
  EXPECT_EQ("target|with", script.links[1].target);
  EXPECT_EQ("desc", script.links[1].description);
}

TEST_F(ScriptLoaderTest, LowerCaseKindLettersFillEveryTable) {
  // Both passes must upper-case the kind: a table sized without these lines cannot hold them.
  ASSERT_EQ(1, Load("f|a.cmp|?APPDIR?\\a.exe\r\n"
                    "k|SZ|HKEY_USERS|S|v|x\r\n"
                    "l|link|target|desc\r\n"
                    "h|hidden\r\n"
                    "x|?APPDIR?\\dir\r\n"));
  ASSERT_EQ(1u, script.files.size());
  EXPECT_EQ("C:\\Apps\\Tool\\a.exe", script.files[0].destination);
  ASSERT_EQ(1u, script.registryEntries.size());
  EXPECT_EQ(RegistryType::kSz, script.registryEntries[0].type);
  ASSERT_EQ(1u, script.links.size());
  EXPECT_EQ("desc", script.links[0].description);
  EXPECT_EQ((std::vector<std::string>{"hidden"}), script.hiddenNames);
  EXPECT_EQ("C:\\Apps\\Tool\\dir", script.defaultDirectory);
}

TEST_F(ScriptLoaderTest, SecondLoadReplacesTheTablesAndKeepsTheDefaultDirectory) {
  ASSERT_EQ(
      1, Load("X|?APPDIR?\\first\r\nX|?APPDIR?\\last\r\nH|?APPDIR?\r\nF|a|?APPDIR?\r\n", nullptr));
  EXPECT_EQ("APPDIR\\last", script.defaultDirectory);
  EXPECT_EQ((std::vector<std::string>{"APPDIR"}), script.hiddenNames);
  EXPECT_EQ("APPDIR", script.files[0].destination);

  ASSERT_EQ(1, Load("F|b|?APPDIR?\\b\r\nF|c|?APPDIR?\\c\r\n", "D:\\Chosen"));
  EXPECT_EQ("APPDIR\\last", script.defaultDirectory);
  EXPECT_TRUE(script.hiddenNames.empty());
  ASSERT_EQ(2u, script.files.size());
  EXPECT_EQ("D:\\Chosen\\b", script.files[0].destination);
  EXPECT_EQ("D:\\Chosen\\c", script.files[1].destination);
}

TEST_F(ScriptLoaderTest, FailuresToOpenOrReadTheFile) {
  script.hiddenNames = {"kept"};
  EXPECT_EQ(0, LoadFileList(fake.platform, script, nullptr, "setup.drc", nullptr));
  EXPECT_EQ((std::vector<std::string>{"kept"}), script.hiddenNames);  // not touched

  const std::string plain = "H|one\r\nH|two\r\nH|three\r\n";
  fake.files.PutFile("setup.drc", Scrambled(plain));
  fake.files.readErrorPath = "setup.drc";
  for (std::int64_t offset : {std::int64_t{0}, std::int64_t{8}, std::int64_t{20}}) {
    SCOPED_TRACE(offset);
    fake.files.readErrorOffset = offset;
    EXPECT_EQ(0, LoadFileList(fake.platform, script, nullptr, "setup.drc", nullptr));
  }
  fake.files.readErrorOffset = static_cast<std::int64_t>(plain.size());
  EXPECT_EQ(1, LoadFileList(fake.platform, script, nullptr, "setup.drc", nullptr));
  EXPECT_EQ(3u, script.hiddenNames.size());
  EXPECT_EQ(0, fake.files.openFiles);
}

TEST_F(ScriptLoaderTest, OwnerWindowReachesTheShell) {
  fake.files.PutFile("setup.drc", Scrambled("L|?STARTMENU?\\a.lnk|t|d\r\n"));
  const auto owner = reinterpret_cast<WindowHandle>(0x1234);
  ASSERT_EQ(1, LoadFileList(fake.platform, script, owner, "setup.drc", "C:\\x"));
  EXPECT_EQ(owner, fake.shell.lastOwner);
}

TEST(ScrambleScript, RoundTripUsesPositionOneForTheFirstByte) {
  FakePlatform fake;
  std::string plain;
  for (int i = 0; i < 5000; ++i) plain += static_cast<char>(i * 7 + 3);  // past one 256 cycle
  fake.files.PutFile("setup.txt", plain);
  ASSERT_EQ(1, ScrambleScript(fake.files, "setup.txt", "setup.drc"));
  const auto stored = fake.files.FileBytes("setup.drc");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(Scrambled(plain), *stored);
  // Position 1 gives the key NOT(0x5B) = 0xA4.
  EXPECT_EQ(static_cast<char>(plain[0] ^ 0xA4), (*stored)[0]);

  fake.files.PutFile("again.txt", *stored);
  ASSERT_EQ(1, ScrambleScript(fake.files, "again.txt", "plain.out"));
  EXPECT_EQ(plain, fake.files.FileBytes("plain.out"));
}

TEST(ScrambleScript, EmptyPlainFileGivesAnEmptyScript) {
  FakePlatform fake;
  fake.files.PutFile("setup.txt", "");
  fake.files.PutFile("setup.drc", "stale bytes");
  ASSERT_EQ(1, ScrambleScript(fake.files, "setup.txt", "setup.drc"));
  EXPECT_EQ("", fake.files.FileBytes("setup.drc"));
}

TEST(ScrambleScript, FailuresAnswerZero) {
  const std::string plain(9000, 'p');
  struct Case {
    const char* name;
    void (*arrange)(testing::FakeFileSystem&);
  };
  const std::vector<Case> cases = {
      {"plain file missing", [](testing::FakeFileSystem& f) { f.DeleteFile("setup.txt"); }},
      {"scrambled file cannot be created",
       [](testing::FakeFileSystem& f) { f.openErrors["setup.drc"] = 13; }},
      {"first write fails", [](testing::FakeFileSystem& f) { f.failWriteCall = 1; }},
      {"a later write fails", [](testing::FakeFileSystem& f) { f.failWriteCall = 2; }},
      {"read error",
       [](testing::FakeFileSystem& f) {
         f.readErrorPath = "setup.txt";
         f.readErrorOffset = 5000;
       }},
      {"close fails", [](testing::FakeFileSystem& f) { f.failClose = true; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::FakeFileSystem files;
    files.PutFile("setup.txt", plain);
    c.arrange(files);
    EXPECT_EQ(0, ScrambleScript(files, "setup.txt", "setup.drc"));
    EXPECT_EQ(0, files.openFiles);
  }
}

// A full disk half-way, a failed close or rename, an oversized plain script: no part of a
// script is left where the installer would load it, and nothing beside it.
TEST(ScrambleScript, AFailedConversionLeavesNoPartOfAScript) {
  struct Case {
    const char* name;
    void (*arrange)(testing::FakeFileSystem&);
    int crtError;
  };
  const std::vector<Case> cases = {
      {"a later write fails", [](testing::FakeFileSystem& f) { f.failWriteCall = 2; }, 0},
      {"close fails", [](testing::FakeFileSystem& f) { f.failClose = true; }, 0},
      {"setup.drc cannot be replaced",
       [](testing::FakeFileSystem& f) { f.PutDirectory("setup.drc"); }, 13},
      {"plain script larger than the loader reads",
       [](testing::FakeFileSystem& f) { f.PutFile("setup.txt", std::string((64 << 20) + 1, 'p')); },
       27},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::FakeFileSystem files;
    files.PutFile("setup.txt", std::string(9000, 'p'));
    c.arrange(files);
    ScrambleFailure failure;
    EXPECT_EQ(0, ScrambleScript(files, "setup.txt", "setup.drc", &failure));
    EXPECT_FALSE(files.FileExists("setup.drc")) << "no torn script";
    EXPECT_FALSE(files.FileExists("setup.drc.~new")) << "nothing left beside it";
    if (c.crtError != 0) {
      EXPECT_EQ(c.crtError, failure.crtError);
    }
  }
  // Over an earlier script: it stays whole until the new one replaces it.
  testing::FakeFileSystem files;
  files.PutFile("setup.txt", std::string(9000, 'p'));
  files.PutFile("setup.drc", "earlier");
  files.failWriteCall = 2;
  EXPECT_EQ(0, ScrambleScript(files, "setup.txt", "setup.drc"));
  EXPECT_EQ("earlier", files.FileBytes("setup.drc"));
}

}  // namespace
}  // namespace setup

namespace setup {
namespace {

// A load that fails before its H lines leaves their records unfilled: they must hide nothing,
// or the failure's own log line would be dropped.
TEST_F(ScriptLoaderTest, HiddenNamesNeverFilledMatchNothing) {
  EXPECT_EQ(0, Load("X|C:\\Tool\r\nbad line\r\nH|secret\r\n"));
  EXPECT_EQ(0, ContainsHiddenName(script, "One or more files missing, LoadFileList failed"));
  EXPECT_EQ(1, Load("H|secret\r\n"));
  EXPECT_EQ(1, ContainsHiddenName(script, "the SECRET file"));
}

}  // namespace
}  // namespace setup
