// The destination macros: values, order, repeated and unknown words, failures, termination.
#include "script/macros.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_platform.h"

namespace setup {
namespace {

using testing::FakePlatform;

const char* const kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";

std::string Expanded(FakePlatform& fake, std::string text, const char* destination) {
  ExpandMacros(fake.platform, nullptr, text, destination);
  return text;
}

// A text, the destination directory it is expanded with, and what it must become.
struct Expansion {
  std::string text;
  const char* destination;
  std::string expected;
};

// Each expansion on a machine of its own.
void ExpectExpansions(const std::vector<Expansion>& cases) {
  for (const Expansion& c : cases) {
    SCOPED_TRACE(c.text);
    FakePlatform fake;
    EXPECT_EQ(c.expected, Expanded(fake, c.text, c.destination));
  }
}

TEST(ExpandMacros, ReplacesEveryMacroWhereverItStands) {
  const std::string programs = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
  ExpectExpansions({
      {"?APPDIR?\\app.exe", "C:\\Apps\\Tool", "C:\\Apps\\Tool\\app.exe"},
      {"?APPDIR?\\app.exe", nullptr, "APPDIR\\app.exe"},
      {"?APPDIR?\\app.exe", "C:\\Apps\\", "C:\\Apps\\\\app.exe"},
      {"?appdir?\\app.exe", "C:\\x", "?appdir?\\app.exe"},
      {"?APPDIR\\app.exe", "C:\\x", "?APPDIR\\app.exe"},
      {"?TEMP?\\x", "C:\\x", "?TEMP?\\x"},
      {"no macro at all", "C:\\x", "no macro at all"},
      {"", "C:\\x", ""},
      {"?SYSTEM?\\a;?SYSTEM?\\b", "C:\\x", "C:\\Windows\\System32\\a;C:\\Windows\\System32\\b"},
      {"?WINDOWS?", "C:\\x", "C:\\Windows"},
      {"?PRGFDIR?\\Tool", "C:\\x", "C:\\PROGRAM FILES\\Tool"},
      {"?PRGFDIR?\\a|?WINDOWS?\\b", "C:\\x", "C:\\PROGRAM FILES\\a|C:\\Windows\\b"},
      {"?STARTMENU?\\Tool\\Tool.lnk", "C:\\x", programs + "\\Tool\\Tool.lnk"},
      {"?APPDIR??SYSTEM??WINDOWS?", "D", "DC:\\Windows\\System32C:\\Windows"},
      // A word completed by an inserted value is a word of the text, as when values are
      // expanded in turn.
      {"?WIN?APPDIR?DOWS?", "", "C:\\Windows"},
      {"?APPDIR?DIR?", "?APP", "?APP"},
  });
}

TEST(ExpandMacros, ProgramFilesComesFromTheRegistryWhenThere) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> stored;  // empty: no value
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"absent", {}, "C:\\PROGRAM FILES\\Tool"},
      {"string", {'D', ':', '\\', 'P', 'F', 0}, "D:\\PF\\Tool"},
      {"without terminating zero", {'D', ':', '\\', 'P', 'F'}, "D:\\PF\\Tool"},
      // A value that is there but empty is a value: no fallback.
      {"empty string", {0}, "\\Tool"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform fake;
    if (!c.stored.empty()) {
      fake.registry.Put(kHkeyLocalMachine, kCurrentVersion, "ProgramFilesDir", REG_SZ, c.stored);
    }
    EXPECT_EQ(c.expected, Expanded(fake, "?PRGFDIR?\\Tool", "C:\\x"));
    EXPECT_EQ(0, fake.registry.OpenHandleCount());
  }

  FakePlatform tooLong;
  tooLong.registry.PutString(kHkeyLocalMachine, kCurrentVersion, "ProgramFilesDir",
                             std::string(260, 'p'));
  EXPECT_EQ("C:\\PROGRAM FILES", Expanded(tooLong, "?PRGFDIR?", "C:\\x"));
}

TEST(ExpandMacros, MissingDirectoriesBecomeEmpty) {
  FakePlatform fake;
  fake.files.windowsDirectory = "";
  fake.files.systemDirectory = "C:\\" + std::string(300, 's');  // cannot fit a path buffer
  EXPECT_EQ("\\a;\\b;C:\\x", Expanded(fake, "?WINDOWS?\\a;?SYSTEM?\\b;?APPDIR?", "C:\\x"));
}

TEST(ExpandMacros, WithoutTheProgramsFolderExpansionStops) {
  for (bool tooLong : {false, true}) {
    SCOPED_TRACE(tooLong);
    FakePlatform fake;
    if (tooLong) {
      fake.shell.programsFolder = "C:\\" + std::string(300, 'p');
    } else {
      fake.shell.programsFolderFails = true;
    }
    // Every ?WINDOWS?, ?SYSTEM? and ?APPDIR? is replaced first; ?PRGFDIR? and ?STARTMENU? stay,
    // wherever they stand.
    EXPECT_EQ(
        "?PRGFDIR?|C:\\Windows|?STARTMENU?|C:\\x|?STARTMENU?|C:\\Windows\\System32",
        Expanded(fake, "?PRGFDIR?|?WINDOWS?|?STARTMENU?|?APPDIR?|?STARTMENU?|?SYSTEM?", "C:\\x"));
    EXPECT_EQ(1, fake.shell.programsFolderCalls);
  }
}

TEST(ExpandMacros, EachOccurrenceAsksAgain) {
  FakePlatform fake;
  EXPECT_EQ(fake.shell.programsFolder + ";" + fake.shell.programsFolder,
            Expanded(fake, "?STARTMENU?;?STARTMENU?", "C:\\x"));
  EXPECT_EQ(2, fake.shell.programsFolderCalls);
}

TEST(ExpandMacros, ValuesHoldingMacroWordsAreNotExpandedAgain) {
  ExpectExpansions({
      {"?APPDIR?\\x", "?APPDIR?", "?APPDIR?\\x"},
      {"?APPDIR?\\x;?APPDIR?", "a?APPDIR?b", "a?APPDIR?b\\x;a?APPDIR?b"},
      {"?APPDIR?|?WINDOWS?", "?WINDOWS?", "?WINDOWS?|C:\\Windows"},
  });

  FakePlatform fake;
  fake.registry.PutString(kHkeyLocalMachine, kCurrentVersion, "ProgramFilesDir",
                          "?PRGFDIR??STARTMENU?");
  EXPECT_EQ("?PRGFDIR??STARTMENU?\\x", Expanded(fake, "?PRGFDIR?\\x", "C:\\x"));
  EXPECT_EQ(0, fake.shell.programsFolderCalls);
}

}  // namespace
}  // namespace setup
