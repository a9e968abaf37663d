// Behaviour of the Windows platform layer that only the real system calls can show.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_version_info.h"
#include "support/temp_dir.h"

namespace setup {
namespace {

constexpr char kTestKey[] = "Software\\SetupTests\\win32";

class Win32RegistryTest : public ::testing::Test {
 protected:
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }
  Win32Registry registry_;
};

TEST_F(Win32RegistryTest, RootsStayUsableAfterClosingKeysOpenedOnThem) {
  // An empty subkey may hand back the root itself; closing it must never close the root.
  for (RegKey root : {kHkeyCurrentUser, kHkeyLocalMachine}) {
    RegKey same = 0;
    ASSERT_EQ(registry_.OpenKey(root, "", &same), kErrorSuccess);
    registry_.CloseKey(same);
    RegKey software = 0;
    EXPECT_EQ(registry_.OpenKey(root, "Software", &software), kErrorSuccess) << root;
    registry_.CloseKey(software);
  }
}

TEST_F(Win32RegistryTest, ValuesRoundTripThroughCreatedKeys) {
  ScopedRegKey key(registry_);
  ASSERT_EQ(registry_.CreateKey(kHkeyCurrentUser, kTestKey, nullptr, key.receive()), kErrorSuccess);
  const std::uint32_t dword = 0xFFFFFFFEu;
  ASSERT_EQ(registry_.SetValue(key.get(), "Count", REG_DWORD,
                               reinterpret_cast<const std::uint8_t*>(&dword), 4),
            kErrorSuccess);

  std::uint8_t data[8] = {};
  std::uint32_t size = 2;
  EXPECT_EQ(registry_.QueryValue(key.get(), "Count", data, &size), kErrorMoreData);
  EXPECT_EQ(size, 4u);
  size = sizeof data;
  ASSERT_EQ(registry_.QueryValue(key.get(), "count", data, &size), kErrorSuccess);
  std::uint32_t read = 0;
  std::memcpy(&read, data, 4);
  EXPECT_EQ(read, dword);
  size = sizeof data;
  EXPECT_EQ(registry_.QueryValue(key.get(), "Missing", data, &size), kErrorFileNotFound);

  RegKey missing = 0;
  EXPECT_EQ(registry_.OpenKey(kHkeyCurrentUser, std::string(kTestKey) + "\\Nope", &missing),
            kErrorFileNotFound);
}

TEST(Win32FileSystemTest, LengthCountsBytesStillInTheStreamBuffer) {
  testing::TempDir dir;
  Win32FileSystem files;
  auto file = files.Open(dir.Native("a.bin"), OpenMode::kWriteBinary, nullptr);
  ASSERT_NE(file, nullptr);
  const std::string bytes(1000, 'x');
  ASSERT_EQ(file->Write(bytes.data(), bytes.size()), bytes.size());
  EXPECT_EQ(file->Length(), 1000);
  EXPECT_EQ(file->Tell(), 1000);
  EXPECT_TRUE(file->Close());
  EXPECT_EQ(testing::ReadFileBytes(dir.path() / "a.bin"), bytes);
}

TEST(Win32FileSystemTest, FailuresCarryTheRuntimeAndSystemTexts) {
  testing::TempDir dir;
  Win32FileSystem files;
  int error = 0;
  EXPECT_EQ(files.Open(dir.Native("missing.txt"), OpenMode::kReadBinary, &error), nullptr);
  EXPECT_EQ(files.StrError(error), "No such file or directory");

  const std::string text = files.FormatMessage(kErrorFileNotFound);
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  EXPECT_EQ(files.FormatMessage(0x2BADF00D), "");
}

TEST(Win32FileSystemTest, SystemDirectoriesHaveTheDocumentedShape) {
  Win32FileSystem files;
  const std::string temp = files.GetTempPath();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  for (const std::string& dir : {files.GetWindowsDirectory(), files.GetSystemDirectory()}) {
    ASSERT_GT(dir.size(), 3u);
    EXPECT_NE(dir.back(), '\\') << dir;
    auto found = files.FindFirstFile(dir);
    ASSERT_TRUE(found.has_value()) << dir;
    EXPECT_NE(found->attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  }
}

TEST(Win32ShellTest, ConversionMustFitTheBufferWithItsTerminator) {
  Win32Shell shell;
  std::u16string wide;
  struct Case {
    std::size_t length;
    int maxUnits;
    bool fits;
  };
  for (const Case& c : {Case{259, 260, true}, Case{260, 260, false}, Case{0, 1, true},
                        Case{0, 0, false}, Case{5, -1, false}}) {
    const std::string text(c.length, 'a');
    EXPECT_EQ(shell.MultiByteToWideChar(text, c.maxUnits, &wide), c.fits)
        << c.length << " in " << c.maxUnits;
    if (c.fits) {
      EXPECT_EQ(wide, std::u16string(c.length, u'a'));
    }
  }
}

TEST(Win32ShellTest, SavesARealShellLinkFile) {
  testing::TempDir dir;
  Win32Shell shell;
  shell.CoInitialize();
  {
    std::unique_ptr<ShellLink> link;
    ASSERT_EQ(shell.CreateShellLink(&link), kSOk);
    link->SetPath("C:\\windows\\notepad.exe");
    link->SetDescription("Notes");
    ASSERT_EQ(link->QueryPersistFile(), kSOk);
    std::u16string path;
    ASSERT_TRUE(shell.MultiByteToWideChar(dir.Native("Notes.lnk"), kMaxPath, &path));
    EXPECT_EQ(link->Save(path, true), kSOk);
  }
  shell.CoUninitialize();

  const std::string bytes = testing::ReadFileBytes(dir.path() / "Notes.lnk");
  ASSERT_GE(bytes.size(), 76u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x4C\0\0\0", 4));  // header size
  // The description is stored in UTF-16 or in the code page, as the link's flags say.
  EXPECT_TRUE(bytes.find("Notes") != std::string::npos ||
              bytes.find(std::string("N\0o\0t\0e\0s\0", 10)) != std::string::npos);
}

TEST(Win32ShellTest, ProgramsFolderIsAnExistingDirectory) {
  Win32Shell shell;
  Win32FileSystem files;
  std::string path;
  ASSERT_TRUE(shell.GetProgramsFolder(nullptr, &path));
  auto found = files.FindFirstFile(path);
  ASSERT_TRUE(found.has_value()) << path;
  EXPECT_NE(found->attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST(Win32VersionInfoTest, ReadsTheFixedRecordOfASystemDll) {
  Win32FileSystem files;
  Win32VersionInfo versions;
  const std::string dll = files.GetSystemDirectory() + "\\kernel32.dll";
  const std::uint32_t size = versions.GetFileVersionInfoSize(dll);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(versions.GetFileVersionInfo(dll, size, block.data()));
  const void* record = nullptr;
  std::uint32_t length = 0;
  ASSERT_TRUE(versions.QueryRootValue(block.data(), &record, &length));
  ASSERT_GE(length, sizeof(FixedFileInfo));
  EXPECT_EQ(static_cast<const FixedFileInfo*>(record)->dwSignature, 0xFEEF04BDu);

  testing::TempDir dir;
  testing::WriteFileBytes(dir.path() / "plain.dll", "not a program");
  EXPECT_EQ(versions.GetFileVersionInfoSize(dir.Native("plain.dll")), 0u);
}

TEST(ScopedHandleTest, ReleasesOnceAndHandsOverOnMove) {
  testing::TempDir dir;
  const std::string path = dir.Native("held.txt");
  ScopedKernelHandle first(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(first.valid());
  ScopedKernelHandle second(std::move(first));
  EXPECT_FALSE(first.valid());
  // Opened without sharing: a second open fails until the holder closes the handle.
  EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  second.reset();
  ScopedKernelHandle third(
      CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_TRUE(third.valid());
}

}  // namespace
}  // namespace setup
