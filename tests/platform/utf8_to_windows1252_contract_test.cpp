// UTF-8 into Windows-1252 on this target (iconv on the host, the Win32 API on Windows): every
// character with a place converts, the first without one is found where it begins.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/utf8_to_windows1252.h"

namespace setup {
namespace {

TEST(Utf8ToWindows1252, ConvertsWhatHasAPlaceAndFindsWhatHasNone) {
  struct Case {
    const char* name;
    std::string utf8;
    bool converts;
    std::string ansi;      // when it converts
    std::size_t failedAt;  // when it does not
  };
  const std::vector<Case> cases = {
      {"empty", "", true, "", 0},
      {"ASCII", "Acme Draw\r\n", true, "Acme Draw\r\n", 0},
      {"Latin-1 letters", "Caf\xC3\xA9 d\xC3\xA9j\xC3\xA0", true, "Caf\xE9 d\xE9j\xE0", 0},
      {"the block 0x80..0x9F", "\xE2\x82\xAC \xE2\x80\x94 \xE2\x80\x9C\xE2\x80\x9D", true,
       "\x80 \x97 \x93\x94", 0},
      {"a snowman", "ab \xE2\x98\x83 cd", false, "", 3},
      {"no best fit for a Greek letter", "x\xCE\xB1", false, "", 1},
      {"beyond the basic plane", "\xF0\x9F\x98\x80!", false, "", 0},
      {"after a converted character", "\xC3\xA9\xE2\x98\x83", false, "", 2},
  };
  for (const Case& c : cases) {
    std::string ansi = "untouched";
    std::size_t failedAt = 99;
    EXPECT_EQ(c.converts, Utf8ToWindows1252(c.utf8, &ansi, &failedAt)) << c.name;
    if (c.converts) {
      EXPECT_EQ(c.ansi, ansi) << c.name;
    } else {
      EXPECT_EQ(c.failedAt, failedAt) << c.name;
    }
  }
}

}  // namespace
}  // namespace setup
