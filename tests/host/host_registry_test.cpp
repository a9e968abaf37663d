// The host registry file: its text, its durability, and processes sharing it.
#include "platform/host/registry/host_registry.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/host/registry/reg_file.h"
#include "support/temp_dir.h"

namespace setup {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

std::vector<std::uint8_t> Bytes(const std::string& text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

Win32Error SetString(Registry& registry, RegKey root, const std::string& key,
                     const std::string& name, const std::string& value) {
  ScopedRegKey opened(registry);
  if (const Win32Error error = registry.CreateKey(root, key, nullptr, opened.receive())) {
    return error;
  }
  const auto data = Bytes(value);
  return registry.SetValue(opened.get(), name, REG_SZ, data.data(),
                           static_cast<std::uint32_t>(data.size()));
}

std::string GetString(Registry& registry, RegKey root, const std::string& key,
                      const std::string& name) {
  ScopedRegKey opened(registry);
  if (registry.OpenKey(root, key, opened.receive()) != kErrorSuccess) return "<no key>";
  std::uint8_t data[1024];
  std::uint32_t size = sizeof data;
  if (registry.QueryValue(opened.get(), name, data, &size) != kErrorSuccess) return "<no value>";
  return std::string(reinterpret_cast<char*>(data), size > 0 ? size - 1 : 0);
}

class HostRegistryTest : public ::testing::Test {
 protected:
  std::string RegPath() const { return dir_.Native("registry.reg"); }
  TempDir dir_;
};

TEST_F(HostRegistryTest, WritesReadableRegeditText) {
  HostRegistry registry(RegPath());
  ASSERT_EQ(registry.Open(), "");
  ASSERT_EQ(SetString(registry, kHkeyLocalMachine, "Software\\Tool", "Dir", "C:\\A \"B\""),
            kErrorSuccess);
  ScopedRegKey key(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, "SOFTWARE\\tool", key.receive()), kErrorSuccess);
  const std::uint8_t dword[4] = {0x2A, 0, 0, 0};
  ASSERT_EQ(registry.SetValue(key.get(), "Count", REG_DWORD, dword, 4), kErrorSuccess);
  const std::uint8_t hex[3] = {1, 0xAB, 0};
  ASSERT_EQ(registry.SetValue(key.get(), "", REG_EXPAND_SZ, hex, 3), kErrorSuccess);
  ASSERT_EQ(registry.SetValue(key.get(), "Bin", REG_BINARY, hex, 2), kErrorSuccess);

  EXPECT_EQ(ReadFileBytes(RegPath()),
            "REGEDIT4\r\n"
            "\r\n"
            "[HKEY_LOCAL_MACHINE\\Software]\r\n"
            "\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Tool]\r\n"
            "\"Dir\"=\"C:\\\\A \\\"B\\\"\"\r\n"
            "\"Count\"=dword:0000002a\r\n"
            "@=hex(2):01,ab,00\r\n"
            "\"Bin\"=hex:01,ab\r\n"
            "\r\n");
}

TEST_F(HostRegistryTest, ReadsWhatRegeditWrites) {
  WriteFileBytes(RegPath(),
                 "REGEDIT4\n"
                 "; a comment\n"
                 "\n"
                 "[HKEY_CURRENT_USER\\Software\\Tool]\n"
                 "\"Path\"=\"C:\\\\Program Files\\\\Tool\"\n"
                 "@=\"default\"\n"
                 "\"Long\"=hex:61,62,\\\n"
                 "  63,64\n"
                 "\"Gone\"=\"x\"\n"
                 "\"Gone\"=-\n"
                 "[HKEY_CURRENT_USER\\Software\\Old]\n"
                 "[-HKEY_CURRENT_USER\\Software\\Old]\n"
                 "[hkey_current_user\\software\\TOOL]\r\n"
                 "\"Added\"=dword:7\r\n");
  HostRegistry registry(RegPath());
  ASSERT_EQ(registry.Open(), "");
  EXPECT_EQ(GetString(registry, kHkeyCurrentUser, "Software\\Tool", "Path"),
            "C:\\Program Files\\Tool");
  EXPECT_EQ(GetString(registry, kHkeyCurrentUser, "Software\\Tool", ""), "default");
  EXPECT_EQ(GetString(registry, kHkeyCurrentUser, "Software\\Tool", "Gone"), "<no value>");
  EXPECT_EQ(GetString(registry, kHkeyCurrentUser, "Software\\Old", ""), "<no key>");
  ScopedRegKey key(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, "Software\\Tool", key.receive()), kErrorSuccess);
  std::uint8_t data[8];
  std::uint32_t size = sizeof data;
  ASSERT_EQ(registry.QueryValue(key.get(), "Long", data, &size), kErrorSuccess);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), "abcd");
  size = sizeof data;
  ASSERT_EQ(registry.QueryValue(key.get(), "added", data, &size), kErrorSuccess);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(data[0], 7);
}

TEST_F(HostRegistryTest, EveryValueSurvivesTheFileExactly) {
  std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> values = {
      {REG_SZ, Bytes("tab\there")},
      {REG_SZ, Bytes("line\nbreak")},
      {REG_SZ, {'a', 0, 'b', 0}},
      {REG_SZ, {}},
      {REG_DWORD, {1, 2, 3}},
      {REG_NONE, {9}},
      {0x12345678, {1}},
      {REG_BINARY, std::vector<std::uint8_t>(1000, 0x5A)},
      {REG_SZ, Bytes("\\\"\\\\\"")},
  };
  {
    HostRegistry registry(RegPath());
    ScopedRegKey key(registry);
    ASSERT_EQ(registry.CreateKey(kHkeyUsers, "S\\K", nullptr, key.receive()), kErrorSuccess);
    for (std::size_t i = 0; i < values.size(); ++i) {
      ASSERT_EQ(registry.SetValue(key.get(), "v" + std::to_string(i), values[i].first,
                                  values[i].second.data(),
                                  static_cast<std::uint32_t>(values[i].second.size())),
                kErrorSuccess);
    }
  }
  const std::string text = ReadFileBytes(RegPath());
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    EXPECT_LE(end - start, 80u) << "long hex data is wrapped";
    start = end + 2;
  }
  HostRegistry reread(RegPath());
  ASSERT_EQ(reread.Open(), "");
  ScopedRegKey key(reread);
  ASSERT_EQ(reread.OpenKey(kHkeyUsers, "s\\k", key.receive()), kErrorSuccess);
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::uint8_t data[2048];
    std::uint32_t size = sizeof data;
    ASSERT_EQ(reread.QueryValue(key.get(), "V" + std::to_string(i), data, &size), kErrorSuccess);
    EXPECT_EQ(std::vector<std::uint8_t>(data, data + size), values[i].second) << i;
  }
  // The key names keep the case they were created with.
  EXPECT_NE(text.find("[HKEY_USERS\\S\\K]"), std::string::npos);
}

TEST_F(HostRegistryTest, CorruptFileIsNamedWithItsLineAndNeverOverwritten) {
  struct Case {
    std::string text;
    int line;
  };
  const std::vector<Case> cases = {
      {"", 1},
      {"Windows Registry Editor Version 5.00\r\n", 1},
      {"REGEDIT4\n\n\"v\"=\"before any key\"\n", 3},
      {"REGEDIT4\n[HKEY_NOWHERE\\x]\n", 2},
      {"REGEDIT4\n[HKEY_USERS\\x\n", 2},
      {"REGEDIT4\n[HKEY_USERS\\\\x]\n", 2},
      {"REGEDIT4\n[HKEY_USERS\\x]\n\"v\"=\"unclosed\n", 3},
      {"REGEDIT4\n[HKEY_USERS\\x]\n\"v\"=\"bad \\n escape\"\n", 3},
      {"REGEDIT4\n[HKEY_USERS\\x]\n\"v\"=dword:123456789\n", 3},
      {"REGEDIT4\n[HKEY_USERS\\x]\n\"v\"=hex:1,zz\n", 3},
      {"REGEDIT4\n[HKEY_USERS\\x]\n\n\"v\"=hex:01,\\\n", 4},
      {"REGEDIT4\n[HKEY_USERS\\x]\n\"v\"=word:1\n", 3},
      {"REGEDIT4\n[HKEY_USERS\\x]\nplain words\n", 3},
  };
  for (const Case& c : cases) {
    WriteFileBytes(RegPath(), c.text);
    HostRegistry registry(RegPath());
    const std::string error = registry.Open();
    EXPECT_EQ(error.rfind(RegPath() + ":" + std::to_string(c.line) + ": ", 0), 0u)
        << c.text << " gave " << error;
    EXPECT_EQ(SetString(registry, kHkeyUsers, "x", "v", "new"), kErrorBadDatabase) << c.text;
    ScopedRegKey key(registry);
    EXPECT_EQ(registry.OpenKey(kHkeyUsers, "", key.receive()), kErrorBadDatabase);
    std::uint32_t size = 0;
    EXPECT_EQ(registry.QueryValue(kHkeyUsers, "v", nullptr, &size), kErrorBadDatabase);
    EXPECT_EQ(ReadFileBytes(RegPath()), c.text) << "the file stays untouched";
  }
  // Once mended, the same object works again.
  HostRegistry registry(RegPath());
  EXPECT_NE(registry.Open(), "");
  WriteFileBytes(RegPath(), "REGEDIT4\n\n[HKEY_USERS\\x]\n\"v\"=\"ok\"\n");
  EXPECT_EQ(GetString(registry, kHkeyUsers, "x", "v"), "ok");
}

TEST_F(HostRegistryTest, ReadOnlyFolderRefusesChangesWithAClearError) {
  HostRegistry registry(RegPath());
  ASSERT_EQ(SetString(registry, kHkeyCurrentUser, "K", "v", "old"), kErrorSuccess);
  const std::string before = ReadFileBytes(RegPath());
  std::filesystem::permissions(
      dir_.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_EQ(SetString(registry, kHkeyCurrentUser, "K", "v", "new"), kErrorAccessDenied);
  EXPECT_EQ(SetString(registry, kHkeyCurrentUser, "K\\Sub", "v", "new"), kErrorAccessDenied);
  EXPECT_NE(registry.LastError().find(RegPath()), std::string::npos) << registry.LastError();
  EXPECT_NE(registry.LastError().find("read-only"), std::string::npos) << registry.LastError();
  EXPECT_EQ(GetString(registry, kHkeyCurrentUser, "K", "v"), "old") << "memory follows the file";
  EXPECT_EQ(SetString(registry, kHkeyCurrentUser, "K", "v", "old"), kErrorSuccess)
      << "an unchanged value needs no save";
  std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_all);
  EXPECT_EQ(ReadFileBytes(RegPath()), before);
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 2u) << "registry.reg and its lock, no half-written file";
}

TEST_F(HostRegistryTest, ReadOnlyFileIsNotReplaced) {
  HostRegistry registry(RegPath());
  ASSERT_EQ(SetString(registry, kHkeyCurrentUser, "K", "v", "old"), kErrorSuccess);
  ::chmod(RegPath().c_str(), 0444);
  EXPECT_EQ(SetString(registry, kHkeyCurrentUser, "K", "v", "new"), kErrorAccessDenied);
  EXPECT_EQ(GetString(registry, kHkeyCurrentUser, "K", "v"), "old");
}

TEST_F(HostRegistryTest, ChangesByAnotherObjectAreSeen) {
  HostRegistry first(RegPath());
  HostRegistry second(RegPath());
  ASSERT_EQ(SetString(first, kHkeyCurrentUser, "K", "a", "1"), kErrorSuccess);
  EXPECT_EQ(GetString(second, kHkeyCurrentUser, "K", "a"), "1");
  ASSERT_EQ(SetString(second, kHkeyCurrentUser, "K", "b", "2"), kErrorSuccess);
  ASSERT_EQ(SetString(first, kHkeyCurrentUser, "K", "c", "3"), kErrorSuccess);
  HostRegistry third(RegPath());
  for (const char* name : {"a", "b", "c"}) {
    EXPECT_NE(GetString(third, kHkeyCurrentUser, "K", name), "<no value>") << name;
  }
}

TEST_F(HostRegistryTest, HandlesAndNamesAreChecked) {
  HostRegistry registry(RegPath());
  RegKey key = 0;
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "K", nullptr, &key), kErrorSuccess);
  const std::uint8_t one = 1;
  EXPECT_EQ(registry.SetValue(key, "two\nlines", REG_BINARY, &one, 1), kErrorInvalidParameter);
  RegKey bad = 0;
  EXPECT_EQ(registry.CreateKey(key, "a\rb", nullptr, &bad), kErrorInvalidParameter);
  EXPECT_EQ(registry.SetValue(key, "v", REG_BINARY, nullptr, 4), kErrorInvalidParameter);
  registry.CloseKey(key);
  EXPECT_EQ(registry.SetValue(key, "v", REG_BINARY, &one, 1), kErrorInvalidHandle);
  EXPECT_EQ(registry.OpenKey(0x1234567, "x", &bad), kErrorInvalidHandle);
  EXPECT_EQ(registry.OpenKey(kHkeyCurrentUser, "\\K", &bad), kErrorBadPathname);

  // A key removed from the file behind an open handle gives an error, not a crash.
  ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "K", nullptr, &key), kErrorSuccess);
  WriteFileBytes(RegPath(), "REGEDIT4\n\n");
  std::uint32_t size = 0;
  EXPECT_NE(registry.QueryValue(key, "v", nullptr, &size), kErrorSuccess);
  EXPECT_NE(registry.SetValue(key, "v", REG_BINARY, &one, 1), kErrorSuccess);
  HostRegistry check(RegPath());
  EXPECT_EQ(check.Open(), "");
}

std::string RandomName(std::mt19937& random, bool keyName) {
  std::string name;
  const std::size_t length = 1 + random() % 12;
  while (name.size() < length) {
    const char c = static_cast<char>(1 + random() % 255);
    if (c == '\r' || c == '\n' || (keyName && c == '\\')) continue;
    name += c;
  }
  return name;
}

void FillRandomKey(std::mt19937& random, RegistryKeyNode& key, int depth) {
  const int values = static_cast<int>(random() % 5);
  for (int i = 0; i < values; ++i) {
    static constexpr std::uint32_t kTypes[] = {REG_SZ,       REG_SZ,        REG_DWORD, REG_BINARY,
                                               REG_MULTI_SZ, REG_EXPAND_SZ, 0x20};
    const std::uint32_t type = kTypes[random() % std::size(kTypes)];
    std::vector<std::uint8_t> data(type == REG_DWORD ? 4 : random() % 200);
    for (std::uint8_t& byte : data) byte = static_cast<std::uint8_t>(random());
    if (type == REG_SZ && !data.empty() && random() % 2 == 0) data.back() = 0;
    key.SetValue(random() % 6 == 0 ? "" : RandomName(random, false), type, std::move(data));
  }
  if (depth == 0) return;
  const int subkeys = static_cast<int>(random() % 4);
  for (int i = 0; i < subkeys; ++i) {
    FillRandomKey(random, key.AddSubkey(RandomName(random, true)), depth - 1);
  }
}

void ExpectSameKey(const RegistryKeyNode& a, const RegistryKeyNode& b, const std::string& where) {
  ASSERT_EQ(a.name, b.name) << where;
  ASSERT_EQ(a.values.size(), b.values.size()) << where;
  for (std::size_t i = 0; i < a.values.size(); ++i) {
    EXPECT_EQ(a.values[i].name, b.values[i].name) << where;
    EXPECT_EQ(a.values[i].type, b.values[i].type) << where << " " << a.values[i].name;
    EXPECT_EQ(a.values[i].data, b.values[i].data) << where << " " << a.values[i].name;
  }
  ASSERT_EQ(a.subkeys.size(), b.subkeys.size()) << where;
  for (std::size_t i = 0; i < a.subkeys.size(); ++i) {
    ExpectSameKey(a.subkeys[i], b.subkeys[i], where + "\\" + a.subkeys[i].name);
  }
}

TEST(RegFile, RandomTreesComeBackExactlyAndMangledTextIsRefusedCleanly) {
  std::mt19937 random(2024);
  for (int round = 0; round < 40; ++round) {
    RegistryTree tree;
    for (int root = 0; root < RegistryTree::kRootCount; ++root) {
      FillRandomKey(random, tree.root(root), 3);
    }
    const std::string text = SerializeRegFile(tree);
    RegistryTree back;
    const RegParseError error = ParseRegFile(text, &back);
    ASSERT_EQ(error.line, 0) << error.message;
    for (int root = 0; root < RegistryTree::kRootCount; ++root) {
      ExpectSameKey(tree.root(root), back.root(root), RegistryTree::RootName(root));
    }

    const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    for (int mangle = 0; mangle < 20; ++mangle) {
      std::string bad = text;
      const std::size_t at = random() % bad.size();
      if (mangle % 3 == 0) {
        bad.resize(at);
      } else {
        bad[at] = static_cast<char>(random());
      }
      RegistryTree ignored;
      const RegParseError result = ParseRegFile(bad, &ignored);
      EXPECT_GE(result.line, 0);
      EXPECT_LE(result.line, lines);
      EXPECT_EQ(result.line == 0, result.message.empty());
    }
  }
}

// Writes values forever; used as a child process that is killed at some moment.
[[noreturn]] void SaveForever(const std::string& path, const std::string& prefix) {
  HostRegistry registry(path);
  ScopedRegKey key(registry);
  if (registry.CreateKey(kHkeyLocalMachine, "Stress", nullptr, key.receive()) != kErrorSuccess) {
    ::_exit(2);
  }
  const std::vector<std::uint8_t> payload(20000, 0x42);
  for (unsigned i = 0;; ++i) {
    const std::string name = prefix + std::to_string(i % 50);
    if (registry.SetValue(key.get(), name, REG_BINARY, payload.data(),
                          static_cast<std::uint32_t>(payload.size())) != kErrorSuccess) {
      ::_exit(3);
    }
  }
}

TEST_F(HostRegistryTest, KillingASaveLeavesTheOldOrTheNewFile) {
  std::mt19937 random(12345);
  for (int round = 0; round < 15; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) SaveForever(RegPath(), "r" + std::to_string(round) + "_");
    std::this_thread::sleep_for(std::chrono::microseconds(2000 + random() % 30000));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped on its own: " << status;

    const std::string text = ReadFileBytes(RegPath());
    if (text.empty()) continue;  // killed before its first save
    RegistryTree tree;
    const RegParseError error = ParseRegFile(text, &tree);
    ASSERT_EQ(error.line, 0) << "round " << round << ": " << error.message;
  }
  HostRegistry registry(RegPath());
  EXPECT_EQ(registry.Open(), "");
  EXPECT_EQ(SetString(registry, kHkeyLocalMachine, "Stress", "after", "x"), kErrorSuccess)
      << "a lock left by a killed process does not block";
}

TEST_F(HostRegistryTest, OnlyTheCopiesOfKilledSavesAreRemovedAtOpen) {
  // name beside registry.reg | removed at the next start
  const std::vector<std::pair<std::string, bool>> cases = {
      {"registry.reg.~setup-save.Ab12Cd", true},
      {"registry.reg.~setup-save.000000", true},
      {"registry.reg.backup", false},
      {"registry.reg.before", false},
      {"registry.reg.Ab12Cd", false},
      {"registry.reg.~setup-save.Ab12C", false},
      {"registry.reg.~setup-save.Ab12Cde", false},
      {"registry.reg.~setup-save.Ab-2Cd", false},
      {"other.reg.~setup-save.Ab12Cd", false},
  };
  for (const auto& [name, removed] : cases) WriteFileBytes(dir_.Native(name), "REGEDIT4\r\n");
  HostRegistry registry(RegPath());
  ASSERT_EQ(registry.Open(), "");
  for (const auto& [name, removed] : cases) {
    EXPECT_EQ(!removed, std::filesystem::exists(dir_.Native(name))) << name;
  }
}

TEST_F(HostRegistryTest, ConcurrentProcessesLoseNoWrites) {
  constexpr int kWriters = 3;
  constexpr int kValues = 25;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      HostRegistry registry(RegPath());
      for (int i = 0; i < kValues; ++i) {
        const std::string name = "w" + std::to_string(w) + "_" + std::to_string(i);
        if (SetString(registry, kHkeyCurrentUser, "Shared\\Key", name, name) != kErrorSuccess) {
          ::_exit(1);
        }
      }
      ::_exit(0);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  HostRegistry registry(RegPath());
  ASSERT_EQ(registry.Open(), "");
  for (int w = 0; w < kWriters; ++w) {
    for (int i = 0; i < kValues; ++i) {
      const std::string name = "w" + std::to_string(w) + "_" + std::to_string(i);
      EXPECT_EQ(GetString(registry, kHkeyCurrentUser, "Shared\\Key", name), name);
    }
  }
}

}  // namespace
}  // namespace setup
