// Windows path rules on the host: splitting, normalising, case and wildcards.
#include "platform/host/files/windows_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace setup {
namespace {

TEST(WindowsPath, SplitsAndNormalisesLikeWin32) {
  struct Case {
    std::string path;
    std::string joined;  // canonical text after normalisation
    bool trailing;
  };
  const std::vector<Case> cases = {
      {"C:\\Program Files\\Tool\\a.exe", "C:\\Program Files\\Tool\\a.exe", false},
      {"c:/Windows/System32/", "C:\\Windows\\System32", true},
      {"C:\\A\\.\\B\\\\C", "C:\\A\\B\\C", false},
      {"C:\\A\\..\\B", "C:\\B", false},
      {"C:\\..\\..\\Windows", "C:\\Windows", false},  // clamped at the drive's root
      {"C:\\A\\..\\..\\..\\x", "C:\\x", false},
      {"\\Windows", "\\Windows", false},              // rooted, no drive
      {"sub\\..\\..\\file", "file", false},           // relative: clamped at its start
      {"D:name", "D:name", false},                    // drive-relative
      {"C:\\dir.\\name . ", "C:\\dir\\name", false},  // trailing dots and blanks dropped
      {"C:\\", "C:\\", true},
      {"", "", false},
  };
  for (const Case& c : cases) {
    const WindowsPath split = SplitWindowsPath(c.path);
    EXPECT_EQ(JoinWindowsPath(split), c.joined) << c.path;
    EXPECT_EQ(split.trailingSeparator, c.trailing) << c.path;
    EXPECT_FALSE(split.unc) << c.path;
  }
  EXPECT_TRUE(SplitWindowsPath("\\\\server\\share\\x").unc);
  EXPECT_TRUE(SplitWindowsPath("//server/share").unc);
  EXPECT_EQ(SplitWindowsPath("1:\\x").drive, 0) << "only letters name drives";
}

TEST(WindowsPath, ValidNames) {
  for (const char* bad : {"", "a<b", "a>b", "a:b", "a\"b", "a|b", "a\tb", "a*", "a?"}) {
    EXPECT_FALSE(IsValidFileName(bad, false)) << bad;
  }
  EXPECT_TRUE(IsValidFileName("*.dll", true));
  EXPECT_TRUE(IsValidFileName("Program Files (x86)", false));
  EXPECT_TRUE(IsValidFileName("caf\xE9", false)) << "upper-half bytes are letters";
}

TEST(WindowsPath, CaseFoldingCoversTheAnsiLetters) {
  EXPECT_TRUE(EqualsIgnoreCase("Program Files", "PROGRAM FILES"));
  EXPECT_TRUE(EqualsIgnoreCase("\xC9t\xE9", "\xE9T\xC9"));  // Été
  EXPECT_TRUE(EqualsIgnoreCase("\x8A", "\x9A"));            // Š š
  EXPECT_TRUE(EqualsIgnoreCase("\x9F", "\xFF"));            // Ÿ ÿ
  EXPECT_FALSE(EqualsIgnoreCase("\xD7", "\xF7"));           // × and ÷ are no pair
  EXPECT_FALSE(EqualsIgnoreCase("abc", "abcd"));
  EXPECT_FALSE(EqualsIgnoreCase("[", "{")) << "only letters fold";
  EXPECT_TRUE(LessIgnoreCase("apple", "Banana"));
  EXPECT_FALSE(LessIgnoreCase("B", "a"));
}

TEST(WindowsPath, WildcardsMatchLikeFindFirstFile) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const std::vector<Case> cases = {
      {"*", "anything.txt", true},
      {"*.*", "noextension", true},
      {"*.dll", "TOOL.DLL", true},
      {"*.dll", "tool.dll.bak", false},
      {"t?ol.*", "tool", true},
      {"t?ol", "tol", false},
      {"a*b*c", "aXXbYYc", true},
      {"a*b*c", "aXXbYY", false},
      {"*a", "bbbbbbbbbbbbbb", false},
      {"", "", true},
      {"?", "", false},
      {"**", "", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " ~ " << c.name;
  }
  // A pattern made to backtrack a lot still ends quickly.
  EXPECT_FALSE(MatchesWildcard(std::string(200, '*') + "b", std::string(5000, 'a')));
}

}  // namespace
}  // namespace setup
