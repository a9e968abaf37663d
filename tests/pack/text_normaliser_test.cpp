// What build makes of an author's texts: CR LF line ends, Windows-1252, and where a character
// without a place in it stands.
#include "pack/text_normaliser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace setup::pack {
namespace {

TEST(NormaliseText, EndsLinesInCrLfAndConvertsUtf8) {
  struct Case {
    const char* name;
    std::string text;
    bool endLastLine;
    std::string bytes;
    int bareLineFeeds;
    int firstBareLineFeed;
    bool lineEndAdded;
    bool converted;
  };
  const std::vector<Case> cases = {
      {"CR LF stays", "a\r\nb\r\n", true, "a\r\nb\r\n", 0, 0, false, false},
      {"LF gets its CR", "a\r\nb\nc\n", true, "a\r\nb\r\nc\r\n", 2, 2, false, false},
      {"an empty LF line", "\n", true, "\r\n", 1, 1, false, false},
      {"a script's last line gets its end", "a\r\nb", true, "a\r\nb\r\n", 0, 0, true, false},
      {"a last line ending in CR gets its LF", "a\r", true, "a\r\n", 0, 0, true, false},
      {"a text's last line stays open", "a\nb", false, "a\r\nb", 1, 1, false, false},
      {"UTF-8 becomes Windows-1252", "\xE2\x80\x94\n", false, "\x97\r\n", 1, 1, false, true},
      {"the byte order mark goes", "\xEF\xBB\xBF\xC3\xA9\r\n", false, "\xE9\r\n", 0, 0, false,
       true},
      {"Windows-1252 already stays", "caf\xE9\r\n", false, "caf\xE9\r\n", 0, 0, false, false},
      {"empty", "", true, "", 0, 0, false, false},
  };
  for (const Case& c : cases) {
    const NormalisedText result = NormaliseText(c.text, c.endLastLine);
    EXPECT_FALSE(result.unmappable) << c.name;
    EXPECT_EQ(c.bytes, result.bytes) << c.name;
    EXPECT_EQ(c.bareLineFeeds, result.bareLineFeeds) << c.name;
    EXPECT_EQ(c.firstBareLineFeed, result.firstBareLineFeed) << c.name;
    EXPECT_EQ(c.lineEndAdded, result.lineEndAdded) << c.name;
    EXPECT_EQ(c.converted, result.convertedFromUtf8) << c.name;
  }
}

TEST(NormaliseText, NamesTheLineAndColumnOfAnUnmappableCharacter) {
  const NormalisedText result =
      NormaliseText("first\r\n\xC3\xA9t\xC3\xA9 \xE2\x98\x83 snow\n", false);
  ASSERT_TRUE(result.unmappable);
  EXPECT_EQ(2, result.unmappable->line);
  EXPECT_EQ(5, result.unmappable->column);  // characters, not bytes
  EXPECT_EQ(0x2603u, result.unmappable->codePoint);
  EXPECT_EQ("U+2603 '\xE2\x98\x83'", DescribeCharacter(*result.unmappable));
  EXPECT_TRUE(result.bytes.empty());
}

}  // namespace
}  // namespace setup::pack
