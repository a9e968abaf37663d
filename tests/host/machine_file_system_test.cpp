// The machine folder on the host: drives, containment, case, its directories and first use.
#include "platform/host/files/machine_file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/host/files/machine_folder.h"
#include "platform/host/files/native_file_system.h"
#include "platform/host/registry/host_registry.h"
#include "platform/host/shell/host_shell.h"
#include "support/host/machine_folder_test.h"
#include "support/temp_dir.h"

namespace setup {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

class MachineFileSystemTest : public testing::MachineFolderTest {
 protected:
  MachineFileSystemTest() {
    fs::create_directories(machine_ / "drive_c" / "Program Files");
    fs::create_directories(current_ / "sub");
  }
};

TEST_F(MachineFileSystemTest, PathsLandWhereWindowsWouldPutThem) {
  fs::create_directories(machine_ / "drive_d");
  struct Case {
    std::string path;
    fs::path native;
  };
  const std::vector<Case> cases = {
      {"C:\\PROGRAM FILES\\a.txt", machine_ / "drive_c" / "Program Files" / "a.txt"},
      {"c:/program files/b.txt", machine_ / "drive_c" / "Program Files" / "b.txt"},
      {"\\rooted.txt", machine_ / "drive_c" / "rooted.txt"},
      {"D:\\d.txt", machine_ / "drive_d" / "d.txt"},
      {"d:relative.txt", machine_ / "drive_d" / "relative.txt"},
      {"plain.txt", current_ / "plain.txt"},
      {"SUB\\in.txt", current_ / "sub" / "in.txt"},
      {"C:\\..\\..\\..\\up.txt", machine_ / "drive_c" / "up.txt"},
      {"sub\\..\\..\\..\\cwd.txt", current_ / "cwd.txt"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(Write(c.path, c.path)) << c.path;
    EXPECT_EQ(ReadFileBytes(c.native), c.path) << c.path;
  }
  EXPECT_FALSE(fs::exists(machine_ / "drive_c" / "PROGRAM FILES")) << "no second directory";
  EXPECT_FALSE(fs::exists(temp_.path() / "up.txt"));
  EXPECT_FALSE(fs::exists(temp_.path() / "cwd.txt"));
}

TEST_F(MachineFileSystemTest, DriveWithoutFolderIsMissing) {
  int error = 0;
  EXPECT_EQ(files_.Open("E:\\x.txt", OpenMode::kWriteBinary, &error), nullptr);
  EXPECT_EQ(error, ENOENT);
  EXPECT_EQ(files_.CreateDirectory("E:\\Dir"), kErrorPathNotFound);
  EXPECT_FALSE(files_.FindFirstFile("E:\\*").has_value());
  EXPECT_EQ(files_.DeleteFile("E:\\x.txt"), kErrorPathNotFound);
  EXPECT_EQ(files_.MoveFile("E:\\x.txt", "C:\\x.txt"), kErrorPathNotFound);
  EXPECT_FALSE(fs::exists(machine_ / "drive_e"));
}

TEST_F(MachineFileSystemTest, LinksLeadingOutAreNotFollowed) {
  const fs::path outside = temp_.path() / "outside";
  fs::create_directories(outside);
  WriteFileBytes(outside / "secret.txt", "secret");
  fs::create_directory_symlink(outside, machine_ / "drive_c" / "Escape");
  fs::create_symlink(outside / "secret.txt", current_ / "secret.txt");
  fs::create_directory_symlink(machine_ / "drive_c" / "Program Files", current_ / "inside");

  int error = 0;
  EXPECT_EQ(files_.Open("C:\\Escape\\secret.txt", OpenMode::kReadBinary, &error), nullptr);
  EXPECT_EQ(error, EACCES);
  EXPECT_EQ(files_.Open("secret.txt", OpenMode::kReadBinary, &error), nullptr);
  EXPECT_EQ(files_.Open("C:\\escape\\new.txt", OpenMode::kWriteBinary, &error), nullptr);
  EXPECT_EQ(files_.CreateDirectory("C:\\Escape\\Dir"), kErrorAccessDenied);
  EXPECT_EQ(files_.DeleteFile("C:\\Escape\\secret.txt"), kErrorAccessDenied);
  EXPECT_EQ(files_.SetFileAttributes("secret.txt", FILE_ATTRIBUTE_READONLY), kErrorAccessDenied);
  EXPECT_EQ(files_.MoveFile("secret.txt", "C:\\moved.txt"), kErrorAccessDenied);
  EXPECT_FALSE(files_.FindFirstFile("C:\\Escape").has_value());
  EXPECT_FALSE(files_.FindFirstFile("C:\\Esc*").has_value());
  EXPECT_EQ(ReadFileBytes(outside / "secret.txt"), "secret");
  EXPECT_FALSE(fs::exists(outside / "new.txt"));
  EXPECT_FALSE(fs::exists(outside / "Dir"));

  // A link that stays within the machine folder is followed.
  EXPECT_TRUE(Write("inside\\ok.txt", "ok"));
  EXPECT_EQ(ReadFileBytes(machine_ / "drive_c" / "Program Files" / "ok.txt"), "ok");
}

TEST_F(MachineFileSystemTest, BadNamesAreRefused) {
  struct Case {
    std::string path;
    Win32Error expected;
  };
  const std::vector<Case> cases = {
      {"C:\\a<b", kErrorInvalidName},
      {"C:\\a|b\\c", kErrorInvalidName},
      {"C:\\a*b", kErrorInvalidName},
      {"C:\\x:y", kErrorInvalidName},
      {"\\\\server\\share", kErrorBadPathname},
      {"", kErrorPathNotFound},
      {std::string("C:\\a\0b", 6), kErrorInvalidName},
      {"C:\\" + std::string(246, 'd'), kErrorFilenameExcedRange},
  };
  for (const Case& c : cases) EXPECT_EQ(files_.CreateDirectory(c.path), c.expected) << c.path;
  int error = 0;
  EXPECT_EQ(files_.Open("C:\\a?.txt", OpenMode::kWriteBinary, &error), nullptr);
  EXPECT_EQ(error, EINVAL);
  EXPECT_EQ(files_.Open("C:\\" + std::string(257, 'f'), OpenMode::kWriteBinary, &error), nullptr);
  EXPECT_EQ(error, ENAMETOOLONG);
  EXPECT_EQ(files_.CreateDirectory("C:\\" + std::string(244, 'd')), kErrorSuccess);
}

TEST_F(MachineFileSystemTest, FindListsDotEntriesBelowTheRootOnly) {
  ASSERT_EQ(files_.CreateDirectory("C:\\Empty"), kErrorSuccess);
  auto found = files_.FindFirstFile("C:\\Empty\\*");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->name, ".");
  EXPECT_FALSE(files_.FindFirstFile("C:\\Empty\\*.dll").has_value());
  found = files_.FindFirstFile("C:\\*");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->name, "Empty") << "sorted without regard to case, no dots at the root";
  EXPECT_FALSE(files_.FindFirstFile("C:\\").has_value());
}

TEST_F(MachineFileSystemTest, MoveChangesLetterCaseOfTheSameEntry) {
  ASSERT_TRUE(Write("C:\\readme.txt", "x"));
  EXPECT_EQ(files_.MoveFile("C:\\readme.txt", "C:\\README.TXT"), kErrorSuccess);
  const auto found = files_.FindFirstFile("C:\\readme.txt");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->name, "README.TXT");
}

TEST_F(MachineFileSystemTest, DirectoriesComeFromTheRegistry) {
  HostRegistry registry((machine_ / "registry.reg").string());
  files_.SetRegistry(&registry);
  EXPECT_EQ(files_.GetWindowsDirectory(), "C:\\Windows");
  EXPECT_EQ(files_.GetSystemDirectory(), "C:\\Windows\\System32");
  EXPECT_EQ(files_.GetTempPath(), "C:\\Windows\\Temp\\");

  auto set = [&](const MachineSetting& setting, const std::string& value) {
    ScopedRegKey key(registry);
    ASSERT_EQ(registry.CreateKey(setting.root, setting.key, nullptr, key.receive()), kErrorSuccess);
    ASSERT_EQ(registry.SetValue(key.get(), setting.name, REG_SZ,
                                reinterpret_cast<const std::uint8_t*>(value.c_str()),
                                static_cast<std::uint32_t>(value.size() + 1)),
              kErrorSuccess);
  };
  set(kWindowsDirectorySetting, "D:\\WINNT\\");
  set(kTempSetting, "D:\\Scratch");
  EXPECT_EQ(files_.GetWindowsDirectory(), "D:\\WINNT");
  EXPECT_EQ(files_.GetSystemDirectory(), "D:\\WINNT\\System32");
  EXPECT_EQ(files_.GetTempPath(), "D:\\Scratch\\");
  set(kTmpSetting, "E:\\");
  EXPECT_EQ(files_.GetTempPath(), "E:\\") << "TMP comes before TEMP";
  set(kWindowsDirectorySetting, std::string(300, 'W'));
  EXPECT_EQ(files_.GetWindowsDirectory(), "") << "too long for a system path buffer";
  EXPECT_EQ(files_.GetSystemDirectory(), "");

  HostShell shell(files_, &registry);
  std::string programs;
  ASSERT_TRUE(shell.GetProgramsFolder(nullptr, &programs));
  EXPECT_EQ(programs, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
  set(kProgramsSetting, "D:\\Menu\\");
  ASSERT_TRUE(shell.GetProgramsFolder(nullptr, &programs));
  EXPECT_EQ(programs, "D:\\Menu");
}

TEST(HostShell, ConvertsTheAnsiCodePageWithinTheBuffer) {
  NativeFileSystem files;
  HostShell shell(files, nullptr);
  std::u16string wide = u"unchanged";
  EXPECT_TRUE(shell.MultiByteToWideChar("caf\xE9 \x80\x9F", 8, &wide));
  EXPECT_EQ(wide, u"caf\u00E9 \u20AC\u0178") << "0x80-0x9F follow Windows-1252";
  EXPECT_FALSE(shell.MultiByteToWideChar("caf\xE9 \x80\x9F", 7, &wide)) << "no room for the zero";
  EXPECT_TRUE(shell.MultiByteToWideChar(std::string("ab\0cd", 5), 3, &wide));
  EXPECT_EQ(wide, u"ab") << "the text ends at its zero";
  std::string programs;
  EXPECT_TRUE(shell.GetProgramsFolder(nullptr, &programs));
  EXPECT_EQ(programs, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
}

TEST(MachineFolder, ChoosesOptionThenEnvironmentThenDataHome) {
  struct Case {
    std::optional<std::string> option;
    const char* setupMachine;
    const char* xdg;
    const char* home;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"/opt/m", "/env/m", "/xdg", "/home/u", "/opt/m"},
      {std::nullopt, "/env/m", "/xdg", "/home/u", "/env/m"},
      {std::string(), "/env/m", nullptr, "/home/u", "/env/m"},
      {std::nullopt, "", "/xdg", "/home/u", "/xdg/setup/machine"},
      {std::nullopt, nullptr, "relative", "/home/u", "/home/u/.local/share/setup/machine"},
      {std::nullopt, nullptr, nullptr, "/home/u", "/home/u/.local/share/setup/machine"},
      {std::nullopt, nullptr, nullptr, nullptr, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseMachineFolder(c.option, c.setupMachine, c.xdg, c.home), c.expected);
  }
}

TEST(MachineFolder, FirstUseCreatesDefaultsOnceAndKeepsUserChanges) {
  TempDir temp;
  const fs::path dir = temp.path() / "new" / "machine";
  HostRegistry registry((dir / "registry.reg").string());
  ASSERT_EQ(PrepareMachineFolder(dir.string(), registry), "");
  for (const char* sub : {"Windows/System32", "Windows/Temp", "Program Files",
                          "ProgramData/Microsoft/Windows/Start Menu/Programs"}) {
    EXPECT_TRUE(fs::is_directory(dir / "drive_c" / sub)) << sub;
  }
  const std::string text = ReadFileBytes(dir / "registry.reg");
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\r\n"
                      "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n"),
            std::string::npos)
      << text;
  for (const char* expected :
       {"\"SystemRoot\"=\"C:\\\\Windows\"", "\"TEMP\"=\"C:\\\\Windows\\\\Temp\"",
        "\"Programs\"=\"C:\\\\ProgramData\\\\Microsoft\\\\Windows\\\\Start "
        "Menu\\\\Programs\""}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  }

  // A user's change and a removed directory stay as they are on the next start.
  WriteFileBytes(dir / "registry.reg",
                 "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\"
                 "Windows\\CurrentVersion]\n\"ProgramFilesDir\"=\"D:\\\\Apps\"\n");
  fs::remove_all(dir / "drive_c" / "Windows" / "Temp");
  HostRegistry again((dir / "registry.reg").string());
  ASSERT_EQ(PrepareMachineFolder(dir.string(), again), "");
  EXPECT_EQ(
      *ReadMachineString(&again, kHkeyLocalMachine, kProgramFilesSetting.key, "ProgramFilesDir"),
      "D:\\Apps");
  EXPECT_FALSE(fs::exists(dir / "drive_c" / "Windows" / "Temp"));
}

TEST(NativeFileSystem, CloseReportsALostWrite) {
  NativeFileSystem files;
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  auto file = files.Open("/dev/full", OpenMode::kWriteBinary, nullptr);
  ASSERT_NE(file, nullptr);
  const std::string block(1000, 'x');
  file->Write(block.data(), block.size());  // buffered: may still look fine
  EXPECT_FALSE(file->Close());
  EXPECT_TRUE(file->Error());
  EXPECT_FALSE(file->Close()) << "and keeps saying so";
}

TEST(NativeFileSystem, TakesLinuxPathsAsTheyAre) {
  TempDir temp;
  NativeFileSystem files;
  const std::string dir = temp.Native("Out");
  EXPECT_EQ(files.CreateDirectory(dir), kErrorSuccess);
  EXPECT_EQ(files.CreateDirectory(dir), kErrorAlreadyExists);
  EXPECT_EQ(files.CreateDirectory(temp.Native("a/b")), kErrorPathNotFound);
  WriteFileBytes(temp.path() / "Out" / "Data.BIN", "data");
  const auto found = files.FindFirstFile(dir + "/*.bin");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->name, "Data.BIN");
  EXPECT_FALSE(files.FindFirstFile(dir + "/data.bin").has_value()) << "exact names are exact";
  EXPECT_EQ(files.MoveFile(dir + "/Data.BIN", dir + "/x"), kErrorSuccess);
  EXPECT_EQ(files.DeleteFile(dir), kErrorAccessDenied);
  EXPECT_EQ(files.FormatMessage(kErrorDiskFull), "There is not enough space on the disk.\r\n");
}

TEST(NativeFileSystem, MovesAFileAcrossFileSystems) {
  TempDir temp;
  struct stat a {
  }, b{};
  if (::stat("/dev/shm", &b) != 0 || ::stat(temp.Native().c_str(), &a) != 0 ||
      a.st_dev == b.st_dev || ::access("/dev/shm", W_OK) != 0) {
    GTEST_SKIP() << "no second file system at hand";
  }
  NativeFileSystem files;
  const std::string from = temp.Native("moved.bin");
  const std::string to = "/dev/shm/setup-move-test-" + std::to_string(::getpid());
  WriteFileBytes(from, std::string(200000, 'm'));
  ASSERT_EQ(files.MoveFile(from, to), kErrorSuccess);
  EXPECT_FALSE(fs::exists(from));
  EXPECT_EQ(ReadFileBytes(to), std::string(200000, 'm'));
  WriteFileBytes(from, "again");
  EXPECT_EQ(files.MoveFile(from, to), kErrorAlreadyExists);
  fs::remove(to);
}

TEST(SystemMessages, EnglishTextsLikeFormatMessage) {
  NativeFileSystem files;
  const std::vector<std::pair<Win32Error, std::string>> cases = {
      {2, "The system cannot find the file specified.\r\n"},
      {3, "The system cannot find the path specified.\r\n"},
      {5, "Access is denied.\r\n"},
      {32, "The process cannot access the file because it is being used by another process.\r\n"},
      {112, "There is not enough space on the disk.\r\n"},
      {183, "Cannot create a file when that file already exists.\r\n"},
      {0x7FFF1234, ""},
  };
  for (const auto& [code, text] : cases) EXPECT_EQ(files.FormatMessage(code), text) << code;
}

}  // namespace
}  // namespace setup
