// The machine folder's folders held open between calls: what the installer moves or removes is
// reached where it is now, a folder or file swapped for a link leading out is not followed, and
// a run through many folders holds no more than a bounded number of descriptors.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "support/host/machine_folder_test.h"

namespace setup {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

class OpenFoldersTest : public testing::MachineFolderTest {
 protected:
  OpenFoldersTest() { fs::create_directories(outside_); }

  std::size_t OpenDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
    return count;
  }

  fs::path outside_ = temp_.path() / "outside";
};

TEST_F(OpenFoldersTest, FoldersMovedOrRemovedAndMadeAgainAreReachedWhereTheyAreNow) {
  const fs::path app = machine_ / "drive_c" / "App";
  ASSERT_EQ(files_.CreateDirectory("C:\\App"), kErrorSuccess);
  ASSERT_EQ(files_.CreateDirectory("C:\\App\\Data"), kErrorSuccess);
  ASSERT_TRUE(Write("C:\\App\\Data\\a.txt", "a"));

  ASSERT_EQ(files_.MoveFile("C:\\APP\\DATA", "C:\\App\\Old"), kErrorSuccess);
  int error = 0;
  EXPECT_EQ(files_.Open("C:\\App\\Data\\b.txt", OpenMode::kWriteBinary, &error), nullptr);
  EXPECT_EQ(error, ENOENT);
  EXPECT_FALSE(fs::exists(app / "Old" / "b.txt")) << "written through the folder moved away";
  ASSERT_TRUE(Write("C:\\App\\OLD\\c.txt", "c"));
  EXPECT_EQ(ReadFileBytes(app / "Old" / "c.txt"), "c");

  // Removed and made again: a new folder, which the old descriptor does not reach.
  ASSERT_EQ(files_.DeleteFile("C:\\App\\Old\\a.txt"), kErrorSuccess);
  ASSERT_EQ(files_.DeleteFile("C:\\App\\Old\\c.txt"), kErrorSuccess);
  ASSERT_EQ(files_.RemoveDirectory("C:\\App\\Old"), kErrorSuccess);
  EXPECT_FALSE(files_.FindFirstFile("C:\\App\\Old").has_value());
  EXPECT_EQ(files_.CreateDirectory("C:\\App\\Old"), kErrorSuccess);
  ASSERT_TRUE(Write("C:\\App\\Old\\d.txt", "d"));
  EXPECT_EQ(ReadFileBytes(app / "Old" / "d.txt"), "d");
  EXPECT_EQ(files_.CreateDirectory("C:\\app\\old"), kErrorAlreadyExists);
  EXPECT_EQ(files_.CreateDirectory("C:\\App\\Data"), kErrorSuccess);
  const std::optional<FindData> found = files_.FindFirstFile("C:\\APP\\DATA");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->name, "Data");
  EXPECT_EQ(found->attributes, static_cast<std::uint32_t>(FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(OpenFoldersTest, FolderOrFileSwappedForALinkLeadingOutIsNotFollowed) {
  const fs::path app = machine_ / "drive_c" / "App";
  ASSERT_EQ(files_.CreateDirectory("C:\\App"), kErrorSuccess);
  ASSERT_TRUE(Write("C:\\App\\a.txt", "a"));
  ASSERT_TRUE(Write("C:\\App\\file.txt", "mine"));
  WriteFileBytes(outside_ / "secret.txt", "secret");

  // Another program swaps the file, then the folder itself, for links leading out.
  fs::remove(app / "file.txt");
  fs::create_symlink(outside_ / "secret.txt", app / "file.txt");
  int error = 0;
  EXPECT_EQ(files_.Open("C:\\App\\file.txt", OpenMode::kReadBinary, &error), nullptr);
  EXPECT_EQ(error, EACCES);
  EXPECT_EQ(files_.Open("C:\\App\\FILE.TXT", OpenMode::kWriteBinary, &error), nullptr);
  EXPECT_EQ(error, EACCES);
  EXPECT_EQ(ReadFileBytes(outside_ / "secret.txt"), "secret");

  fs::rename(app, machine_ / "drive_c" / "Kept");
  fs::create_directory_symlink(outside_, app);
  static_cast<void>(Write("C:\\App\\b.txt", "b"));
  static_cast<void>(files_.CreateDirectory("C:\\App\\Dir"));
  EXPECT_FALSE(fs::exists(outside_ / "b.txt"));
  EXPECT_FALSE(fs::exists(outside_ / "Dir"));
  EXPECT_EQ(files_.Open("C:\\App\\secret.txt", OpenMode::kReadBinary, &error), nullptr);
}

TEST_F(OpenFoldersTest, NamesOthersTakeAfterTheFolderWasReadAreNotWrittenThrough) {
  const fs::path app = machine_ / "drive_c" / "App";
  ASSERT_EQ(files_.CreateDirectory("C:\\App"), kErrorSuccess);
  ASSERT_TRUE(Write("C:\\App\\first.txt", "1"));  // the folder's listing is read here
  WriteFileBytes(outside_ / "shared.txt", "shared");
  WriteFileBytes(outside_ / "secret.txt", "secret");
  fs::create_hard_link(outside_ / "shared.txt", app / "linked.txt");
  fs::create_symlink(outside_ / "secret.txt", app / "sneaky.txt");
  WriteFileBytes(app / "theirs.txt", "theirs");

  ASSERT_TRUE(Write("C:\\App\\linked.txt", "mine"));
  EXPECT_EQ(ReadFileBytes(app / "linked.txt"), "mine");
  EXPECT_EQ(ReadFileBytes(outside_ / "shared.txt"), "shared") << "written through a hard link";
  int error = 0;
  EXPECT_EQ(files_.Open("C:\\App\\sneaky.txt", OpenMode::kWriteBinary, &error), nullptr);
  EXPECT_EQ(error, EACCES);
  EXPECT_EQ(ReadFileBytes(outside_ / "secret.txt"), "secret");
  ASSERT_TRUE(Write("C:\\App\\theirs.txt", "over"));
  EXPECT_EQ(ReadFileBytes(app / "theirs.txt"), "over");
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(app)) ++entries;
  EXPECT_EQ(entries, 4u) << "a second file of a name already there";
}

TEST_F(OpenFoldersTest, ManyFoldersHoldABoundedNumberOfDescriptors) {
  constexpr int kFolders = 300;
  const std::size_t before = OpenDescriptors();
  ASSERT_EQ(files_.CreateDirectory("C:\\Many"), kErrorSuccess);
  for (int i = 0; i < kFolders; ++i) {
    const std::string folder = "C:\\Many\\Folder" + std::to_string(i);
    ASSERT_EQ(files_.CreateDirectory(folder), kErrorSuccess) << i;
    ASSERT_TRUE(Write(folder + "\\File.txt", std::to_string(i))) << i;
  }
  EXPECT_LE(OpenDescriptors(), before + 80);
  // Folders let go of are reached again, in any letter case.
  for (int i = 0; i < kFolders; i += 13) {
    const std::string path = "C:\\MANY\\FOLDER" + std::to_string(i) + "\\FILE.TXT";
    const std::optional<FindData> found = files_.FindFirstFile(path);
    ASSERT_TRUE(found.has_value()) << path;
    EXPECT_EQ(found->name, "File.txt");
    std::unique_ptr<File> file = files_.Open(path, OpenMode::kReadBinary, nullptr);
    ASSERT_NE(file, nullptr) << path;
    EXPECT_EQ(file->Length(), static_cast<std::int64_t>(std::to_string(i).size()));
  }
}

}  // namespace
}  // namespace setup
