// Hidden names: the filter that keeps private names out of logs and status texts.
#include <gtest/gtest.h>

#include "script/setup_script.h"

namespace setup {
namespace {

TEST(HiddenNames, MatchIgnoresLetterCase) {
  SetupScript script;
  script.hiddenNames = {"private.dll"};
  EXPECT_EQ(1, ContainsHiddenName(script, "C:\\WIN\\SYSTEM\\PRIVATE.DLL"));
  EXPECT_EQ(0, ContainsHiddenName(script, "C:\\WIN\\SYSTEM\\PUBLIC.DLL"));
}

TEST(HiddenNames, EmptyNameMatchesEverythingAndNoNamesMatchNothing) {
  SetupScript script;
  EXPECT_EQ(0, ContainsHiddenName(script, "anything"));
  script.hiddenNames = {""};
  EXPECT_EQ(1, ContainsHiddenName(script, "anything"));
}

}  // namespace
}  // namespace setup
