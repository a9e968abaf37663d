// Registry paths and shared-library counts on the machine's own registry: the host's store, or
// the real registry under Wine and Windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/registry_access.h"
#include "support/test_platform.h"

namespace setup {
namespace {

class RegistryAccessOnMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_ = testing::MakeTestMachine();
    ASSERT_NE(nullptr, machine_.registry);
    base_ = "HKEY_CURRENT_USER|" + Piped(machine_.registryKey);
  }
  // The test key with '|' between its levels.
  static std::string Piped(std::string path) {
    for (char& c : path) {
      if (c == '\\') c = '|';
    }
    return path;
  }
  Registry& registry() { return *machine_.registry; }

  testing::TestMachine machine_;
  std::string base_;
};

TEST_F(RegistryAccessOnMachine, WrittenValuesReadBackThroughTheirPaths) {
  ASSERT_EQ(1, WriteRegistryString(registry(), base_ + "|Example|Path", "C:\\Apps\\Tool", '|'));
  ASSERT_EQ(1, WriteRegistryDword(registry(), base_ + "|Example|Runs", 0xFFFFFFFFu, '|'));
  ASSERT_EQ(1, WriteRegistryString(registry(), base_ + "|Example|", "default", '|'));

  EXPECT_EQ("C:\\Apps\\Tool", ReadRegistryString(registry(), base_ + "|Example|Path", '|'));
  // Lower-case root, an empty middle level and another letter case reach the same value.
  std::string lower = "hkey_current_user|" + Piped(machine_.registryKey) + "||EXAMPLE|path";
  EXPECT_EQ("C:\\Apps\\Tool", ReadRegistryString(registry(), lower, '|'));
  EXPECT_EQ("default", ReadRegistryString(registry(), base_ + "|Example|", '|'));
  EXPECT_EQ((std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}),
            ReadRegistryValue(registry(), base_ + "|Example|Runs", '|'));

  EXPECT_FALSE(ReadRegistryValue(registry(), base_ + "|Example|Missing", '|'));
  EXPECT_FALSE(ReadRegistryValue(registry(), base_ + "|Missing|Path", '|'));
  EXPECT_FALSE(ReadRegistryValue(registry(), "HKEY_CURRENT_USER", '|'));
  EXPECT_FALSE(
      ReadRegistryValue(registry(), "HKEY_NOWHERE|" + Piped(machine_.registryKey) + "|x", '|'));
  EXPECT_EQ(0, WriteRegistryString(registry(), "HKEY_NOWHERE|x|y", "v", '|'));
}

TEST_F(RegistryAccessOnMachine, ValuesUpTo260BytesAreRead) {
  ASSERT_EQ(1, WriteRegistryString(registry(), base_ + "|Long|Fits", std::string(259, 'a'), '|'));
  ASSERT_EQ(1,
            WriteRegistryString(registry(), base_ + "|Long|TooLong", std::string(260, 'a'), '|'));
  const auto fits = ReadRegistryValue(registry(), base_ + "|Long|Fits", '|');
  ASSERT_TRUE(fits.has_value());
  EXPECT_EQ(260u, fits->size());
  EXPECT_FALSE(ReadRegistryValue(registry(), base_ + "|Long|TooLong", '|'));
}

TEST_F(RegistryAccessOnMachine, SharedDllCountsRise) {
  // A name no real installation uses.
  const std::string dll = "C:\\SetupTests\\" +
                          machine_.registryKey.substr(machine_.registryKey.rfind('\\') + 1) +
                          ".dll";
  EXPECT_EQ(-1, GetSharedDllCount(registry(), dll));
  ASSERT_EQ(1, SetSharedDllCount(registry(), dll, 5));
  const std::int32_t count = GetSharedDllCount(registry(), dll);
  EXPECT_EQ(5, count);
  ASSERT_EQ(1, SetSharedDllCount(registry(), dll, count + 1));
  EXPECT_EQ(6, GetSharedDllCount(registry(), dll));
  ASSERT_EQ(1, SetSharedDllCount(registry(), dll, 0));  // leave no count behind worth reading
}

}  // namespace
}  // namespace setup
