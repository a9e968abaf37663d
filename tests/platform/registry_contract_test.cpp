// Win32 registry behaviour that every registry implementation must show alike.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/test_platform.h"

namespace setup {
namespace {

class RegistryContract : public ::testing::TestWithParam<testing::ContractMachine> {
 protected:
  void SetUp() override {
    machine_ = GetParam().make();
    ASSERT_EQ(reg().CreateKey(kHkeyCurrentUser, machine_.registryKey, nullptr, &base_),
              kErrorSuccess);
  }
  void TearDown() override {
    if (base_ != 0) reg().CloseKey(base_);
  }

  Registry& reg() { return *machine_.registry; }

  std::vector<std::uint8_t> Query(RegKey key, const std::string& name) {
    std::uint32_t size = 0;
    if (reg().QueryValue(key, name, nullptr, &size) != kErrorSuccess) return {0xDE, 0xAD};
    std::vector<std::uint8_t> data(size);
    EXPECT_EQ(reg().QueryValue(key, name, data.data(), &size), kErrorSuccess);
    data.resize(size);
    return data;
  }

  testing::TestMachine machine_;
  RegKey base_ = 0;
};

std::vector<std::uint8_t> Bytes(const std::string& text, bool withZero) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  if (withZero) bytes.push_back(0);
  return bytes;
}

TEST_P(RegistryContract, EveryValueTypeComesBackExactly) {
  struct Case {
    std::string name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };
  const std::vector<Case> cases = {
      {"Text", REG_SZ, Bytes("C:\\Program Files\\\"Quoted\" \\\\ end", true)},
      {"Empty text", REG_SZ, Bytes("", true)},
      {"Upper half", REG_SZ, Bytes("caf\xE9 \x80", true)},
      {"Lines", REG_SZ, Bytes("one\r\ntwo", true)},
      {"No zero", REG_SZ, Bytes("abc", false)},
      {"Count", REG_DWORD, {0x2A, 0, 0, 0}},
      {"Negative", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"Blob", REG_BINARY, std::vector<std::uint8_t>(300, 0xA5)},
      {"Nothing", REG_BINARY, {}},
      {"Expand", REG_EXPAND_SZ, Bytes("%SystemRoot%\\x", true)},
      {"Multi", REG_MULTI_SZ, {'a', 0, 'b', 0, 0}},
      {"Quad", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"name with \"quotes\" and \\", REG_SZ, Bytes("v", true)},
      {"", REG_SZ, Bytes("the default value", true)},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(reg().SetValue(base_, c.name, c.type, c.data.data(),
                             static_cast<std::uint32_t>(c.data.size())),
              kErrorSuccess)
        << c.name;
  }
  for (const Case& c : cases) EXPECT_EQ(Query(base_, c.name), c.data) << c.name;
}

TEST_P(RegistryContract, QueryReportsSizesLikeRegQueryValueEx) {
  const auto text = Bytes("0123456789", true);
  ASSERT_EQ(reg().SetValue(base_, "v", REG_SZ, text.data(), 11), kErrorSuccess);
  std::uint32_t size = 0;
  EXPECT_EQ(reg().QueryValue(base_, "v", nullptr, &size), kErrorSuccess);
  EXPECT_EQ(size, 11u);
  std::uint8_t small[4] = {};
  size = sizeof small;
  EXPECT_EQ(reg().QueryValue(base_, "v", small, &size), kErrorMoreData);
  EXPECT_EQ(size, 11u);
  std::uint8_t big[64] = {};
  size = sizeof big;
  EXPECT_EQ(reg().QueryValue(base_, "v", big, &size), kErrorSuccess);
  EXPECT_EQ(size, 11u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(big)), "0123456789");
  size = sizeof big;
  EXPECT_EQ(reg().QueryValue(base_, "absent", big, &size), kErrorFileNotFound);
}

TEST_P(RegistryContract, NamesIgnoreCaseAndOverwrite) {
  const std::uint8_t one[4] = {1, 0, 0, 0};
  const std::uint8_t two[4] = {2, 0, 0, 0};
  ScopedRegKey key(reg());
  ASSERT_EQ(reg().CreateKey(base_, "Outer\\Inner", nullptr, key.receive()), kErrorSuccess);
  ASSERT_EQ(reg().SetValue(key.get(), "Count", REG_DWORD, one, 4), kErrorSuccess);
  ASSERT_EQ(reg().SetValue(key.get(), "COUNT", REG_DWORD, two, 4), kErrorSuccess);

  ScopedRegKey again(reg());
  ASSERT_EQ(reg().OpenKey(base_, "OUTER\\inner", again.receive()), kErrorSuccess);
  EXPECT_EQ(Query(again.get(), "count"), std::vector<std::uint8_t>(two, two + 4));

  ScopedRegKey outer(reg());
  ASSERT_EQ(reg().OpenKey(base_, "outer", outer.receive()), kErrorSuccess);
  ScopedRegKey inner(reg());
  ASSERT_EQ(reg().OpenKey(outer.get(), "Inner", inner.receive()), kErrorSuccess);
  EXPECT_EQ(Query(inner.get(), "Count"), std::vector<std::uint8_t>(two, two + 4));
}

TEST_P(RegistryContract, MissingKeysAreNotCreatedByOpening) {
  ScopedRegKey key(reg());
  EXPECT_EQ(reg().OpenKey(base_, "Absent", key.receive()), kErrorFileNotFound);
  EXPECT_EQ(reg().OpenKey(base_, "Absent\\Deeper", key.receive()), kErrorFileNotFound);
  // Creating every missing level at once.
  ASSERT_EQ(reg().CreateKey(base_, "A\\B\\C", nullptr, key.receive()), kErrorSuccess);
  ScopedRegKey middle(reg());
  EXPECT_EQ(reg().OpenKey(base_, "a\\b", middle.receive()), kErrorSuccess);
  // Creating an existing key opens it.
  ScopedRegKey existing(reg());
  EXPECT_EQ(reg().CreateKey(base_, "A\\B", "a class", existing.receive()), kErrorSuccess);
}

TEST_P(RegistryContract, EmptySubkeyNameOpensTheSameKey) {
  ScopedRegKey viaCreate(reg());
  ScopedRegKey viaOpen(reg());
  ASSERT_EQ(reg().CreateKey(base_, "", nullptr, viaCreate.receive()), kErrorSuccess);
  ASSERT_EQ(reg().OpenKey(base_, "", viaOpen.receive()), kErrorSuccess);
  const auto data = Bytes("same", true);
  ASSERT_EQ(reg().SetValue(viaCreate.get(), "x", REG_SZ, data.data(), 5), kErrorSuccess);
  EXPECT_EQ(Query(viaOpen.get(), "x"), data);
  EXPECT_EQ(Query(base_, "x"), data);
}

TEST_P(RegistryContract, ClosingAHandleLeavesTheKeyAndRootsUsable) {
  RegKey key = 0;
  ASSERT_EQ(reg().CreateKey(base_, "Closed", nullptr, &key), kErrorSuccess);
  const auto data = Bytes("kept", true);
  ASSERT_EQ(reg().SetValue(key, "v", REG_SZ, data.data(), 5), kErrorSuccess);
  reg().CloseKey(key);
  reg().CloseKey(kHkeyCurrentUser);  // does nothing
  ScopedRegKey reopened(reg());
  ASSERT_EQ(reg().OpenKey(kHkeyCurrentUser, machine_.registryKey + "\\Closed", reopened.receive()),
            kErrorSuccess);
  EXPECT_EQ(Query(reopened.get(), "v"), data);
}

TEST_P(RegistryContract, DeletionsAndCountsAnswerLikeAdvapi) {
  ScopedRegKey key(reg());
  ASSERT_EQ(reg().CreateKey(base_, "Gone\\Leaf", nullptr, key.receive()), kErrorSuccess);
  const auto data = Bytes("v", true);
  ASSERT_EQ(reg().SetValue(key.get(), "One", REG_SZ, data.data(), 2), kErrorSuccess);
  ASSERT_EQ(reg().SetValue(key.get(), "Two", REG_SZ, data.data(), 2), kErrorSuccess);

  std::uint32_t subkeys = 99;
  std::uint32_t values = 99;
  ASSERT_EQ(reg().QueryInfoKey(key.get(), &subkeys, &values), kErrorSuccess);
  EXPECT_EQ(subkeys, 0u);
  EXPECT_EQ(values, 2u);

  EXPECT_EQ(reg().DeleteValue(key.get(), "one"), kErrorSuccess);  // names ignore case
  EXPECT_EQ(reg().DeleteValue(key.get(), "One"), kErrorFileNotFound);
  ASSERT_EQ(reg().QueryInfoKey(key.get(), &subkeys, &values), kErrorSuccess);
  EXPECT_EQ(values, 1u);
  EXPECT_EQ(Query(key.get(), "Two"), data);

  // A key with subkeys stays; its leaf goes first, values and all.
  EXPECT_EQ(reg().DeleteKey(base_, "Gone"), kErrorAccessDenied);
  ScopedRegKey gone(reg());
  ASSERT_EQ(reg().OpenKey(base_, "GONE", gone.receive()), kErrorSuccess);
  ASSERT_EQ(reg().QueryInfoKey(gone.get(), &subkeys, &values), kErrorSuccess);
  EXPECT_EQ(subkeys, 1u);
  EXPECT_EQ(values, 0u);
  key.Reset();
  EXPECT_EQ(reg().DeleteKey(gone.get(), "leaf"), kErrorSuccess);
  EXPECT_EQ(reg().DeleteKey(gone.get(), "Leaf"), kErrorFileNotFound);
  gone.Reset();
  EXPECT_EQ(reg().DeleteKey(base_, "Gone"), kErrorSuccess);
  ScopedRegKey reopened(reg());
  EXPECT_EQ(reg().OpenKey(base_, "Gone", reopened.receive()), kErrorFileNotFound);
  EXPECT_EQ(reg().DeleteKey(base_, "Absent\\Deeper"), kErrorFileNotFound);
}

TEST_P(RegistryContract, FlushKeyKeepsWhatWasWritten) {
  const std::uint8_t data[] = {'x', 0};
  ASSERT_EQ(reg().SetValue(base_, "Flushed", REG_SZ, data, sizeof data), kErrorSuccess);
  EXPECT_EQ(reg().FlushKey(kHkeyCurrentUser), kErrorSuccess);
  EXPECT_EQ(Query(base_, "Flushed"), Bytes("x", true));
}

INSTANTIATE_TEST_SUITE_P(Implementations, RegistryContract,
                         ::testing::ValuesIn(testing::ContractMachines()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup
