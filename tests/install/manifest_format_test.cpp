// The manifest's lines: what is accepted, what makes it unreadable, and names as compared.
#include "install/manifest_format.h"

#include <gtest/gtest.h>

namespace setup {
namespace {

const std::string kDigest = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

TEST(ManifestFormatTest, AcceptedLines) {
  const std::string text = "# comment\r\n\r\n" + kDigest + " 0 setup.drc\r\n" + kDigest +
                           " 12 data\\my file.txt\n" +
                           "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4"
                           "649B934CA495991B7852B855 9223372036854775807 last";
  std::string error;
  const auto entries = ParseManifest(text, &error);
  ASSERT_TRUE(entries) << error;
  ASSERT_EQ(3u, entries->size());
  EXPECT_EQ("setup.drc", (*entries)[0].name);
  EXPECT_EQ("data\\my file.txt", (*entries)[1].name);
  EXPECT_EQ(12u, (*entries)[1].size);
  EXPECT_EQ(9223372036854775807u, (*entries)[2].size);
  EXPECT_EQ(kDigest, DigestHex((*entries)[2].digest));
  EXPECT_EQ(text.substr(0, 0) + kDigest + " 12 data\\my file.txt\r\n",
            FormatManifestLine((*entries)[1]));
}

TEST(ManifestFormatTest, MalformedLinesMakeItUnreadable) {
  struct Case {
    std::string line;
    const char* why;
  };
  const Case cases[] = {
      {kDigest + " 5", "expected"},
      {kDigest.substr(1) + " 5 a", "64 hexadecimal"},
      {"g" + kDigest.substr(1) + " 5 a", "64 hexadecimal"},
      {kDigest + " -5 a", "decimal"},
      {kDigest + " 99999999999999999999 a", "decimal"},
      {kDigest + "  a", "decimal"},
      {kDigest + " 5 ", "empty"},
      {kDigest + " 5 a\tb", "control"},
      {kDigest + " 5 A.TXT\r\n" + kDigest + " 5 ./a.txt", "twice"},
      {kDigest + " 5 ..\\x", "leads out"},
      {kDigest + " 5 ../x", "leads out"},
      {kDigest + " 5 .\\..\\x", "leads out"},
      {kDigest + " 5 data\\..\\..\\x", "leads out"},
      {kDigest + " 5 data/..", "leads out"},
      {kDigest + " 5 /etc/hostname", "leads out"},
      {kDigest + " 5 \\Windows\\win.ini", "leads out"},
      {kDigest + " 5 \\\\server\\share\\x", "leads out"},
      {kDigest + " 5 //server/share/x", "leads out"},
      {kDigest + " 5 C:\\x", "leads out"},
      {kDigest + " 5 C:x", "leads out"},
      {kDigest + " 5 a.txt:stream", "leads out"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseManifest(c.line + "\r\n", &error)) << c.line;
    EXPECT_NE(std::string::npos, error.find(c.why)) << c.line << ": " << error;
    EXPECT_EQ(0u, error.find("line ")) << error;
  }
}

TEST(ManifestFormatTest, NamesBelowTheFolderStayInside) {
  for (const char* name :
       {"a", ".\\a", "./a", "data\\..b", "a..\\b", "a\\\\b", "data\\.\\x", "..x"}) {
    EXPECT_TRUE(NameStaysInside(name)) << name;
    std::string error;
    EXPECT_TRUE(ParseManifest(kDigest + " 5 " + name + "\r\n", &error)) << name << ": " << error;
  }
  for (const char* name :
       {"", "..", "...", ".. ", "a\\. .\\b", "..\\", "\\a", "/a", "a\\..", "C:", "\\\\?\\C:\\x"}) {
    EXPECT_FALSE(NameStaysInside(name)) << name;
  }
}

TEST(ManifestFormatTest, NamesCompareAsWindowsNames) {
  EXPECT_EQ("data\\palette.dat", ComparableName("Data/Palette.DAT"));
  EXPECT_EQ("readme.txt", ComparableName(".\\.\\README.txt"));
  EXPECT_EQ("..\\x", ComparableName("..\\x"));
}

}  // namespace
}  // namespace setup
