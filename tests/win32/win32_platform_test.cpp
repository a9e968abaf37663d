// Windows-only parts of the platform layer that the shared contract tests do not reach.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_shell.h"
#include "support/temp_dir.h"

namespace setup {
namespace {

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

TEST(Win32ShellTest, ProgramsFolderIsAnExistingDirectory) {
  Win32Shell shell;
  Win32FileSystem files;
  std::string path;
  ASSERT_TRUE(shell.GetProgramsFolder(nullptr, &path));
  auto found = files.FindFirstFile(path);
  ASSERT_TRUE(found.has_value()) << path;
  EXPECT_NE(found->attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
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
