// Win32 file behaviour that every file-system implementation must show alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "support/test_platform.h"

namespace setup {
namespace {

class FileSystemContract : public ::testing::TestWithParam<testing::ContractMachine> {
 protected:
  void SetUp() override { machine_ = GetParam().make(); }

  FileSystem& fs() { return *machine_.files; }
  std::string Path(const std::string& relative) { return machine_.scratch + "\\" + relative; }

  void WriteFile(const std::string& path, const std::string& bytes) {
    int error = -1;
    auto file = fs().Open(path, OpenMode::kWriteBinary, &error);
    ASSERT_NE(file, nullptr) << path << ": " << error;
    ASSERT_EQ(file->Write(bytes.data(), bytes.size()), bytes.size());
    ASSERT_TRUE(file->Close());
  }

  std::string ReadFile(const std::string& path) {
    auto file = fs().Open(path, OpenMode::kReadBinary, nullptr);
    if (file == nullptr) return "<missing>";
    std::string bytes;
    char buffer[4096];
    for (std::size_t got; (got = file->Read(buffer, sizeof buffer)) > 0;) bytes.append(buffer, got);
    return bytes;
  }

  testing::TestMachine machine_;
};

TEST_P(FileSystemContract, CreateDirectoryAnswersLikeWindows) {
  WriteFile(Path("plain"), "x");
  struct Case {
    std::string path;
    Win32Error expected;
  };
  const std::vector<Case> cases = {
      {Path("New"), kErrorSuccess},
      {Path("New"), kErrorAlreadyExists},
      {Path("NEW"), kErrorAlreadyExists},    // names ignore case
      {Path("plain"), kErrorAlreadyExists},  // a file of that name counts
      {Path("New\\Sub\\"), kErrorSuccess},   // a trailing separator is fine
      {Path("missing\\child"), kErrorPathNotFound},
      {Path("plain\\child"), kErrorPathNotFound},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fs().CreateDirectory(c.path), c.expected) << c.path;
  }
  const auto found = fs().FindFirstFile(Path("new\\sub"));
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->name, "Sub");
  EXPECT_NE(found->attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_P(FileSystemContract, LargeBlocksRoundTripWithTellSeekAndLength) {
  std::string data(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 131) >> 3);
  {
    auto file = fs().Open(Path("big.bin"), OpenMode::kWriteBinary, nullptr);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->Write(data.data(), 5), 5u);
    ASSERT_EQ(file->Write(data.data() + 5, data.size() - 5), data.size() - 5);
    EXPECT_EQ(file->Tell(), static_cast<std::int64_t>(data.size()));
    EXPECT_EQ(file->Length(), static_cast<std::int64_t>(data.size()));
    EXPECT_FALSE(file->Error());
    EXPECT_TRUE(file->Close());
    EXPECT_TRUE(file->Close()) << "a second Close answers the same";
  }
  auto file = fs().Open(Path("BIG.BIN"), OpenMode::kReadBinary, nullptr);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Length(), static_cast<std::int64_t>(data.size()));
  ASSERT_TRUE(file->Seek(1000));
  EXPECT_EQ(file->Tell(), 1000);
  std::string back(data.size(), '\0');
  EXPECT_EQ(file->Read(back.data(), back.size()), data.size() - 1000);
  EXPECT_EQ(back.substr(0, data.size() - 1000), data.substr(1000));
  EXPECT_EQ(file->Read(back.data(), 1), 0u) << "end of file";
  EXPECT_FALSE(file->Error()) << "the end of the file is no error";
  EXPECT_TRUE(file->Close());
}

TEST_P(FileSystemContract, WritingTruncatesAndReadTextOpens) {
  WriteFile(Path("t.txt"), "a long first content");
  WriteFile(Path("t.txt"), "short");
  EXPECT_EQ(ReadFile(Path("t.txt")), "short");
  EXPECT_NE(fs().Open(Path("T.TXT"), OpenMode::kReadText, nullptr), nullptr);
}

TEST_P(FileSystemContract, OpenFailuresSetTheRuntimeError) {
  ASSERT_EQ(fs().CreateDirectory(Path("dir")), kErrorSuccess);
  struct Case {
    std::string path;
    OpenMode mode;
    int expected;
  };
  const std::vector<Case> cases = {
      {Path("absent.txt"), OpenMode::kReadBinary, ENOENT},
      {Path("absent.txt"), OpenMode::kReadText, ENOENT},
      {Path("nodir\\file.txt"), OpenMode::kWriteBinary, ENOENT},
      {Path("dir"), OpenMode::kReadBinary, EACCES},
      {Path("dir"), OpenMode::kWriteBinary, EACCES},
  };
  for (const Case& c : cases) {
    int error = 0;
    EXPECT_EQ(fs().Open(c.path, c.mode, &error), nullptr) << c.path;
    EXPECT_EQ(error, c.expected) << c.path;
  }
  EXPECT_EQ(fs().StrError(ENOENT), "No such file or directory");
}

TEST_P(FileSystemContract, FindFirstFileMatchesNamesAndWildcards) {
  ASSERT_EQ(fs().CreateDirectory(Path("Lib")), kErrorSuccess);
  WriteFile(Path("Lib\\Tool.DLL"), "x");
  WriteFile(Path("Lib\\readme"), "x");
  struct Case {
    std::string pattern;
    std::string name;  // empty: no match
    std::uint32_t directoryBit;
  };
  const std::vector<Case> cases = {
      {Path("Lib\\tool.dll"), "Tool.DLL", 0},
      {Path("lib\\*.dll"), "Tool.DLL", 0},
      {Path("Lib\\T??l.dll"), "Tool.DLL", 0},
      {Path("Lib\\read*"), "readme", 0},
      {Path("Lib\\readme.*"), "readme", 0},  // ".*" also matches a name without a dot
      {Path("lib"), "Lib", FILE_ATTRIBUTE_DIRECTORY},
      {Path("Lib\\*.exe"), "", 0},
      {Path("Lib\\absent"), "", 0},
      {Path("Nowhere\\*"), "", 0},
      {Path("Lib\\"), "", 0},  // a trailing separator matches nothing
  };
  for (const Case& c : cases) {
    const auto found = fs().FindFirstFile(c.pattern);
    if (c.name.empty()) {
      EXPECT_FALSE(found.has_value()) << c.pattern << " found " << found->name;
      continue;
    }
    ASSERT_TRUE(found.has_value()) << c.pattern;
    EXPECT_EQ(found->name, c.name) << c.pattern;
    EXPECT_EQ(found->attributes & FILE_ATTRIBUTE_DIRECTORY, c.directoryBit) << c.pattern;
  }
}

// Callers that need no name ask for the attributes alone; the answer must be the search's,
// where a quick attribute query would tell otherwise (trailing separators and dots, devices).
TEST_P(FileSystemContract, FindAttributesAnswersAsFindFirstFile) {
  ASSERT_EQ(fs().CreateDirectory(Path("Lib")), kErrorSuccess);
  WriteFile(Path("Lib\\Tool.DLL"), "x");
  ASSERT_EQ(fs().SetFileAttributes(Path("Lib\\Tool.DLL"), FILE_ATTRIBUTE_READONLY), kErrorSuccess);
  for (const std::string& path :
       {Path("Lib\\tool.dll"), Path("lib"), Path("Lib\\"), Path("Lib\\tool.dll."),
        Path("Lib\\absent"), Path("Nowhere\\absent"), Path("Lib\\tool.dll\\under"), Path("Lib\\."),
        Path("Lib\\NUL"), Path("lib\\*.dll")}) {
    const std::optional<FindData> found = fs().FindFirstFile(path);
    const std::optional<std::uint32_t> attributes = fs().FindAttributes(path);
    ASSERT_EQ(attributes.has_value(), found.has_value()) << path;
    if (found) {
      EXPECT_EQ(*attributes, found->attributes) << path;
    }
  }
  EXPECT_EQ(fs().SetFileAttributes(Path("Lib\\Tool.DLL"), FILE_ATTRIBUTE_ARCHIVE), kErrorSuccess);
}

TEST_P(FileSystemContract, PathsFollowWindowsRules) {
  ASSERT_EQ(fs().CreateDirectory(Path("A")), kErrorSuccess);
  WriteFile(machine_.scratch + "/A/./x.txt", "slashes");
  EXPECT_EQ(ReadFile(Path("a\\X.TXT")), "slashes");
  EXPECT_EQ(ReadFile(Path("A\\..\\A\\x.txt")), "slashes");
  EXPECT_EQ(ReadFile(Path("A\\\\x.txt")), "slashes") << "doubled separators count as one";
  const auto found = fs().FindFirstFile(Path("A\\x.txt"));
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->name, "x.txt") << "created with the case given";
}

TEST_P(FileSystemContract, MoveFileNeverReplaces) {
  WriteFile(Path("from.dll"), "new");
  WriteFile(Path("to.dll"), "old");
  EXPECT_EQ(fs().MoveFile(Path("from.dll"), Path("TO.dll")), kErrorAlreadyExists);
  EXPECT_EQ(ReadFile(Path("from.dll")), "new");
  EXPECT_EQ(ReadFile(Path("to.dll")), "old");

  ASSERT_EQ(fs().CreateDirectory(Path("Backup")), kErrorSuccess);
  EXPECT_EQ(fs().MoveFile(Path("from.dll"), Path("backup\\from.dll")), kErrorSuccess);
  EXPECT_EQ(ReadFile(Path("Backup\\from.dll")), "new");
  EXPECT_FALSE(fs().FindFirstFile(Path("from.dll")).has_value());
  EXPECT_EQ(fs().MoveFile(Path("from.dll"), Path("x.dll")), kErrorFileNotFound);
  EXPECT_EQ(fs().MoveFile(Path("to.dll"), Path("nodir\\to.dll")), kErrorPathNotFound);
  EXPECT_EQ(ReadFile(Path("to.dll")), "old");
}

TEST_P(FileSystemContract, ReadOnlyAttributeGuardsDeletionUntilArchiveClearsIt) {
  WriteFile(Path("locked.dll"), "x");
  ASSERT_EQ(fs().SetFileAttributes(Path("locked.dll"), FILE_ATTRIBUTE_READONLY), kErrorSuccess);
  auto found = fs().FindFirstFile(Path("locked.dll"));
  ASSERT_TRUE(found.has_value());
  EXPECT_NE(found->attributes & FILE_ATTRIBUTE_READONLY, 0u);
  int error = 0;
  EXPECT_EQ(fs().Open(Path("locked.dll"), OpenMode::kWriteBinary, &error), nullptr);
  EXPECT_EQ(error, EACCES);
  EXPECT_EQ(fs().DeleteFile(Path("locked.dll")), kErrorAccessDenied);

  ASSERT_EQ(fs().SetFileAttributes(Path("LOCKED.dll"), FILE_ATTRIBUTE_ARCHIVE), kErrorSuccess);
  found = fs().FindFirstFile(Path("locked.dll"));
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->attributes & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(fs().DeleteFile(Path("locked.dll")), kErrorSuccess);
  EXPECT_EQ(fs().DeleteFile(Path("locked.dll")), kErrorFileNotFound);
  EXPECT_EQ(fs().SetFileAttributes(Path("locked.dll"), FILE_ATTRIBUTE_ARCHIVE), kErrorFileNotFound);
}

TEST_P(FileSystemContract, DeleteFileRefusesDirectories) {
  ASSERT_EQ(fs().CreateDirectory(Path("Backup")), kErrorSuccess);
  EXPECT_EQ(fs().DeleteFile(Path("Backup")), kErrorAccessDenied);
  EXPECT_TRUE(fs().FindFirstFile(Path("Backup")).has_value());
  EXPECT_EQ(fs().DeleteFile(Path("nodir\\x")), kErrorPathNotFound);
}

TEST_P(FileSystemContract, RemoveDirectoryTakesOnlyEmptyDirectories) {
  ASSERT_EQ(fs().CreateDirectory(Path("Full")), kErrorSuccess);
  ASSERT_EQ(fs().CreateDirectory(Path("Full\\Inner")), kErrorSuccess);
  ASSERT_EQ(fs().CreateDirectory(Path("Empty")), kErrorSuccess);
  WriteFile(Path("Holder.txt"), "x");
  ASSERT_EQ(fs().CreateDirectory(Path("WithFile")), kErrorSuccess);
  WriteFile(Path("WithFile\\a.txt"), "x");
  struct Case {
    std::string path;
    Win32Error expected;
  };
  const std::vector<Case> cases = {
      {Path("Full"), kErrorDirNotEmpty},      // a subdirectory keeps it
      {Path("WithFile"), kErrorDirNotEmpty},  // so does a file
      {Path("Holder.txt"), kErrorDirectory},  // a file is not a directory
      {Path("Absent"), kErrorFileNotFound},  {Path("Absent\\Child"), kErrorPathNotFound},
      {Path("EMPTY"), kErrorSuccess},  // names ignore case
      {Path("Empty"), kErrorFileNotFound},   {Path("Full\\Inner"), kErrorSuccess},
      {Path("Full"), kErrorSuccess},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fs().RemoveDirectory(c.path), c.expected) << c.path;
  }
  EXPECT_TRUE(fs().FindFirstFile(Path("WithFile\\a.txt")).has_value());
  EXPECT_FALSE(fs().FindFirstFile(Path("Full")).has_value());
}

TEST_P(FileSystemContract, ListDirectoryNamesEveryEntryOnce) {
  ASSERT_EQ(fs().CreateDirectory(Path("List")), kErrorSuccess);
  ASSERT_EQ(fs().CreateDirectory(Path("List\\Sub")), kErrorSuccess);
  WriteFile(Path("List\\ReadMe.TXT"), "x");
  WriteFile(Path("List\\Sub\\deeper.txt"), "x");
  std::vector<FindData> entries = fs().ListDirectory(Path("list"));
  std::sort(entries.begin(), entries.end(),
            [](const FindData& a, const FindData& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "ReadMe.TXT");  // the spelling it was made with
  EXPECT_EQ(entries[0].attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(entries[1].name, "Sub");
  EXPECT_NE(entries[1].attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_TRUE(fs().ListDirectory(Path("List\\Sub\\deeper.txt")).empty());
  EXPECT_TRUE(fs().ListDirectory(Path("Absent")).empty());
  ASSERT_EQ(fs().CreateDirectory(Path("Nothing")), kErrorSuccess);
  EXPECT_TRUE(fs().ListDirectory(Path("Nothing")).empty());
}

TEST_P(FileSystemContract, SystemDirectoriesAndMessages) {
  const std::string windows = fs().GetWindowsDirectory();
  const std::string system = fs().GetSystemDirectory();
  const std::string temp = fs().GetTempPath();
  ASSERT_FALSE(windows.empty());
  EXPECT_NE(windows.back(), '\\');
  EXPECT_EQ(system.rfind(windows, 0), 0u) << system;
  EXPECT_NE(system.back(), '\\');
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  for (const Win32Error code : {kErrorFileNotFound, kErrorPathNotFound, kErrorAccessDenied,
                                kErrorDiskFull, kErrorAlreadyExists}) {
    const std::string text = fs().FormatMessage(code);
    ASSERT_FALSE(text.empty()) << code;
    EXPECT_EQ(text.back(), '\n') << code;
  }
}

// The full name the installation record keeps for what was written.
TEST_P(FileSystemContract, FullPathNameTakesDotsOutAndNamesTheSameEntry) {
  EXPECT_EQ(Path("a.txt"), fs().GetFullPathName(Path("Sub\\..\\.\\a.txt")));
  EXPECT_EQ("", fs().GetFullPathName(""));
  std::unique_ptr<File> file = fs().Open(Path("b.txt"), OpenMode::kWriteBinary, nullptr);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->Close());
  const std::string full = fs().GetFullPathName(Path("b.txt"));
  ASSERT_TRUE(fs().FindFirstFile(full).has_value()) << full;
}

INSTANTIATE_TEST_SUITE_P(Implementations, FileSystemContract,
                         ::testing::ValuesIn(testing::ContractMachines()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup
