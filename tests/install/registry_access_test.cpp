// Registry values named by separator-joined paths, and the SharedDLLs counts, over the fake.
#include "base/registry_access.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/fake_registry.h"

namespace setup {
namespace {

using testing::FakeRegistry;

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

TEST(RegistryPath, ReadWalksRootSubkeysAndValueName) {
  struct Case {
    const char* name;
    std::string path;
    char separator;
    std::optional<std::string> expected;  // the raw bytes, terminating zero included
  };
  const std::string programFiles("C:\\Program Files\0", 17);
  const std::vector<Case> cases = {
      {"full path",
       "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir", '\\',
       programFiles},
      {"lower-case root and keys",
       "hkey_local_machine\\software\\microsoft\\windows\\currentversion\\programfilesdir", '\\',
       programFiles},
      {"root only: its default value", "HKEY_LOCAL_MACHINE\\", '\\', std::string("root\0", 5)},
      {"other separator", "HKEY_CURRENT_USER|Software|Example|Path", '|', std::string("x\0", 2)},
      {"empty middle component opens the same key", "HKEY_CURRENT_USER|Software||Example|Path", '|',
       std::string("x\0", 2)},
      {"backslash inside a component is a key level", "HKEY_CURRENT_USER|Software\\Example|Path",
       '|', std::string("x\0", 2)},
      {"no separator", "HKEY_LOCAL_MACHINE", '\\', std::nullopt},
      {"starts with the separator", "\\HKEY_LOCAL_MACHINE\\Software\\x", '\\', std::nullopt},
      {"unknown root", "HKEY_CURRENT_CONFIG\\Software\\x", '\\', std::nullopt},
      {"root name with extra letters", "HKEY_USERSX\\x", '\\', std::nullopt},
      {"missing key", "HKEY_CURRENT_USER\\Software\\Missing\\Path", '\\', std::nullopt},
      {"missing value", "HKEY_CURRENT_USER\\Software\\Example\\Missing", '\\', std::nullopt},
      {"empty path", "", '\\', std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRegistry registry;
    registry.PutString(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                       "ProgramFilesDir", "C:\\Program Files");
    registry.PutString(kHkeyLocalMachine, "", "", "root");
    registry.PutString(kHkeyCurrentUser, "Software\\Example", "Path", "x");
    const auto data = ReadRegistryValue(registry, c.path, c.separator);
    if (c.expected) {
      ASSERT_TRUE(data.has_value());
      EXPECT_EQ(Bytes(*c.expected), *data);
    } else {
      EXPECT_FALSE(data.has_value());
    }
    EXPECT_EQ(0, registry.OpenHandleCount());
  }
}

TEST(RegistryPath, EmptyMiddleComponentIsPassedAsEmptySubkeyName) {
  FakeRegistry registry;
  registry.PutString(kHkeyCurrentUser, "A", "v", "x");
  std::vector<std::string> opened;
  registry.fault = [&](const std::string& operation, const std::string& name) -> Win32Error {
    if (operation == "OpenKey") opened.push_back(name);
    return kErrorSuccess;
  };
  ASSERT_TRUE(ReadRegistryValue(registry, "HKEY_CURRENT_USER\\\\A\\v", '\\'));
  EXPECT_EQ((std::vector<std::string>{"", "A"}), opened);
}

TEST(RegistryPath, ReadsAtMost260Bytes) {
  for (std::size_t size : {259u, 260u, 261u}) {
    SCOPED_TRACE(size);
    FakeRegistry registry;
    registry.PutString(kHkeyCurrentUser, "K", "v", std::string(size - 1, 'a'));
    const auto data = ReadRegistryValue(registry, "HKEY_CURRENT_USER\\K\\v", '\\');
    if (size <= 260) {
      ASSERT_TRUE(data.has_value());
      EXPECT_EQ(size, data->size());
    } else {
      EXPECT_FALSE(data.has_value());
    }
    EXPECT_EQ(0, registry.OpenHandleCount());
  }
}

TEST(RegistryPath, StringStopsAtZeroOrAtTheEndOfTheData) {
  struct Case {
    std::string stored;
    std::string expected;
  };
  const std::vector<Case> cases =
      {
          {std::string("D:\\Progs\0", 9), "D:\\Progs"},
          {"D:\\Progs", "D:\\Progs"},  // no terminating zero: never read past the data
          {std::string(260, 'p'), std::string(260, 'p')},
          {std::string("ab\0cd\0", 6), "ab"},
          {"", ""},
      };
  for (const Case& c : cases) {
    FakeRegistry registry;
    registry.Put(kHkeyLocalMachine, "K", "v", REG_BINARY, Bytes(c.stored));
    EXPECT_EQ(c.expected, ReadRegistryString(registry, "HKEY_LOCAL_MACHINE\\K\\v", '\\'));
  }
}

TEST(RegistryPath, WriteCreatesMissingKeysWithTheClass) {
  FakeRegistry registry;
  const std::string data = "abc";
  ASSERT_EQ(1, WriteRegistryValue(registry, "HKEY_CURRENT_USER|Software|New|Deep|Name", data.data(),
                                  3, "MyClass", REG_BINARY, '|'));
  const auto value = registry.Get(kHkeyCurrentUser, "Software\\New\\Deep", "Name");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(static_cast<std::uint32_t>(REG_BINARY), value->type);
  EXPECT_EQ(Bytes("abc"), value->data);
  EXPECT_EQ("MyClass", registry.KeyClass(kHkeyCurrentUser, "Software\\New"));
  EXPECT_EQ(0, registry.OpenHandleCount());
}

TEST(RegistryPath, WriteDwordAndStringStoreTheirBytes) {
  FakeRegistry registry;
  ASSERT_EQ(1, WriteRegistryDword(registry, "HKEY_CURRENT_USER\\S\\Runs", 0x01020304u, '\\'));
  ASSERT_EQ(1, WriteRegistryString(registry, "hkey_users\\S\\Path", "C:\\x", '\\'));
  ASSERT_EQ(1, WriteRegistryString(registry, "HKEY_CLASSES_ROOT\\", "default", '\\'));

  const auto dword = registry.Get(kHkeyCurrentUser, "S", "Runs");
  ASSERT_TRUE(dword.has_value());
  EXPECT_EQ(static_cast<std::uint32_t>(REG_DWORD), dword->type);
  EXPECT_EQ((std::vector<std::uint8_t>{4, 3, 2, 1}), dword->data);

  const auto text = registry.Get(kHkeyUsers, "S", "Path");
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(static_cast<std::uint32_t>(REG_SZ), text->type);
  EXPECT_EQ(Bytes(std::string("C:\\x\0", 5)), text->data);

  const auto rootDefault = registry.Get(kHkeyClassesRoot, "", "");
  ASSERT_TRUE(rootDefault.has_value());
  EXPECT_EQ(Bytes(std::string("default\0", 8)), rootDefault->data);
}

TEST(RegistryPath, WriteFailuresAnswerZeroAndCloseEveryKey) {
  struct Case {
    const char* name;
    std::string path;
    const char* failOperation;  // injected failure, or null
    const char* failName;
    bool keyBeforeFailureKept;
  };
  const std::vector<Case> cases = {
      {"no separator", "HKEY_CURRENT_USER", nullptr, nullptr, false},
      {"unknown root", "HKEY_NOWHERE\\A\\v", nullptr, nullptr, false},
      {"starts with the separator", "\\A\\v", nullptr, nullptr, false},
      {"key cannot be created", "HKEY_CURRENT_USER\\A\\B\\v", "CreateKey", "B", true},
      {"value cannot be set", "HKEY_CURRENT_USER\\A\\B\\v", "SetValue", "v", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRegistry registry;
    if (c.failOperation != nullptr) {
      registry.fault = [&](const std::string& operation, const std::string& name) {
        return (operation == c.failOperation && name == c.failName) ? kErrorAccessDenied
                                                                    : kErrorSuccess;
      };
    }
    EXPECT_EQ(0, WriteRegistryDword(registry, c.path, 1, '\\'));
    EXPECT_EQ(0, registry.OpenHandleCount());
    EXPECT_EQ(c.keyBeforeFailureKept, registry.HasKey(kHkeyCurrentUser, "A"));
  }
}

TEST(SharedDllCount, RaisingGoesFromAbsentToOneAndFromFiveToSix) {
  const std::string dll = "C:\\Windows\\System32\\mylib.dll";
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
  struct Case {
    const char* name;
    std::optional<std::uint32_t> stored;
    std::int32_t read;
    std::uint32_t written;
  };
  const std::vector<Case> cases = {
      {"absent", std::nullopt, -1, 1},
      {"five", 5u, 5, 6},
      {"zero", 0u, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRegistry registry;
    if (c.stored) registry.PutDword(kHkeyLocalMachine, key, dll, *c.stored);
    const std::int32_t count = GetSharedDllCount(registry, dll);
    EXPECT_EQ(c.read, count);
    ASSERT_EQ(1, SetSharedDllCount(registry, dll, count == -1 ? 1 : count + 1));
    const auto value = registry.Get(kHkeyLocalMachine, key, dll);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(static_cast<std::uint32_t>(REG_DWORD), value->type);
    EXPECT_EQ(c.written, static_cast<std::uint32_t>(GetSharedDllCount(registry, dll)));
    EXPECT_EQ(0, registry.OpenHandleCount());
  }
}

TEST(SharedDllCount, UnreadableCountsReadAsMinusOne) {
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
  FakeRegistry registry;
  EXPECT_EQ(-1, GetSharedDllCount(registry, "C:\\a.dll"));  // no SharedDLLs key at all
  registry.Put(kHkeyLocalMachine, key, "C:\\b.dll", REG_BINARY, {7, 0});
  EXPECT_EQ(-1, GetSharedDllCount(registry, "C:\\b.dll"));  // not a 4-byte count
  registry.Put(kHkeyLocalMachine, key, "C:\\c.dll", REG_BINARY, {1, 2, 3, 4, 5});
  EXPECT_EQ(-1, GetSharedDllCount(registry, "C:\\c.dll"));  // larger than a count
  EXPECT_EQ(0, registry.OpenHandleCount());
}

TEST(SharedDllCount, FailureAtAnyLevelClosesTheKeysAndChangesNothing) {
  const std::string dll = "C:\\Windows\\System32\\mylib.dll";
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
  struct Case {
    const char* operation;
    const char* name;
  };
  const std::vector<Case> cases = {
      {"Key", "Software"},       {"Key", "Microsoft"},  {"Key", "Windows"},
      {"Key", "CurrentVersion"}, {"Key", "SharedDLLs"}, {"Value", dll.c_str()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRegistry registry;
    registry.PutDword(kHkeyLocalMachine, key, dll, 5);
    std::string failing;
    registry.fault = [&](const std::string& operation, const std::string& name) {
      return (operation == failing && name == c.name) ? kErrorAccessDenied : kErrorSuccess;
    };

    failing = std::string(c.operation) == "Key" ? "OpenKey" : "QueryValue";
    EXPECT_EQ(-1, GetSharedDllCount(registry, dll));
    EXPECT_EQ(0, registry.OpenHandleCount());

    failing = std::string(c.operation) == "Key" ? "CreateKey" : "SetValue";
    EXPECT_EQ(0, SetSharedDllCount(registry, dll, 6));
    EXPECT_EQ(0, registry.OpenHandleCount());
    registry.fault = nullptr;
    EXPECT_EQ(5, GetSharedDllCount(registry, dll));
  }
}

TEST(SharedDllCount, ReadingAnAbsentCountCreatesNoKey) {
  // A read must work for users who may not create keys under HKEY_LOCAL_MACHINE.
  FakeRegistry registry;
  registry.PutString(kHkeyLocalMachine, "Software\\Microsoft", "v", "x");
  EXPECT_EQ(-1, GetSharedDllCount(registry, "C:\\a.dll"));
  EXPECT_EQ(0, registry.createKeyCalls);
  EXPECT_FALSE(registry.HasKey(kHkeyLocalMachine, "Software\\Microsoft\\Windows"));
}

}  // namespace
}  // namespace setup
