// Names found in any letter case after the installer's own creates, moves and deletes, with
// what the machine folder has learnt of its directories kept between the calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/host/files/machine_file_system.h"
#include "support/temp_dir.h"

namespace setup {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

class NameCacheTest : public ::testing::Test {
 protected:
  NameCacheTest()
      : machine_(temp_.path() / "machine"), files_(machine_.string(), temp_.path().string()) {
    fs::create_directories(machine_ / "drive_c" / "App");
  }

  bool Write(const std::string& path) {
    auto file = files_.Open(path, OpenMode::kWriteBinary, nullptr);
    return file != nullptr && file->Close();
  }
  // The name on disk that `path` reaches, empty when nothing.
  std::string Found(const std::string& path) {
    const std::optional<FindData> found = files_.FindFirstFile(path);
    return found.has_value() ? found->name : "";
  }
  // Reads every directory on the way, so that later steps meet what was learnt.
  void Learn() { static_cast<void>(Found("C:\\APP\\NOTHING\\X")); }

  TempDir temp_;
  fs::path machine_;
  MachineFileSystem files_;
};

TEST_F(NameCacheTest, OwnChangesAreSeenInEveryLetterCase) {
  struct Case {
    const char* what;
    std::function<void(MachineFileSystem&)> change;
    std::vector<std::pair<std::string, std::string>> expected;  // path asked, name found
  };
  const std::vector<Case> cases = {
      {"file created",
       [](MachineFileSystem& f) {
         ASSERT_NE(f.Open("C:\\App\\ReadMe.txt", OpenMode::kWriteBinary, nullptr), nullptr);
       },
       {{"C:\\APP\\README.TXT", "ReadMe.txt"}, {"c:\\app\\readme.txt", "ReadMe.txt"}}},
      {"directory created, file inside",
       [](MachineFileSystem& f) {
         ASSERT_EQ(f.CreateDirectory("C:\\App\\Data"), kErrorSuccess);
         ASSERT_NE(f.Open("C:\\APP\\DATA\\Palette.dat", OpenMode::kWriteBinary, nullptr), nullptr);
       },
       {{"c:\\app\\data", "Data"}, {"C:\\app\\DATA\\PALETTE.DAT", "Palette.dat"}}},
      {"file renamed",
       [](MachineFileSystem& f) {
         ASSERT_NE(f.Open("C:\\App\\old.txt", OpenMode::kWriteBinary, nullptr), nullptr);
         ASSERT_EQ(f.MoveFile("C:\\APP\\OLD.TXT", "C:\\app\\New.Txt"), kErrorSuccess);
       },
       {{"C:\\App\\NEW.TXT", "New.Txt"}, {"C:\\App\\OLD.TXT", ""}, {"c:\\app\\old.txt", ""}}},
      {"letter case changed",
       [](MachineFileSystem& f) {
         ASSERT_NE(f.Open("C:\\App\\case.txt", OpenMode::kWriteBinary, nullptr), nullptr);
         ASSERT_EQ(f.MoveFile("C:\\App\\case.txt", "C:\\App\\CASE.txt"), kErrorSuccess);
       },
       {{"C:\\App\\case.TXT", "CASE.txt"}, {"C:\\App\\CASE.txt", "CASE.txt"}}},
      {"file moved to another directory",
       [](MachineFileSystem& f) {
         ASSERT_EQ(f.CreateDirectory("C:\\Backup"), kErrorSuccess);
         ASSERT_NE(f.Open("C:\\App\\lib.dll", OpenMode::kWriteBinary, nullptr), nullptr);
         ASSERT_EQ(f.MoveFile("C:\\APP\\LIB.DLL", "C:\\backup\\Lib.dll"), kErrorSuccess);
       },
       {{"C:\\BACKUP\\LIB.DLL", "Lib.dll"}, {"C:\\App\\LIB.DLL", ""}}},
      {"directory moved",
       [](MachineFileSystem& f) {
         ASSERT_EQ(f.CreateDirectory("C:\\App\\Before"), kErrorSuccess);
         ASSERT_NE(f.Open("C:\\App\\Before\\in.txt", OpenMode::kWriteBinary, nullptr), nullptr);
         ASSERT_EQ(f.MoveFile("C:\\App\\BEFORE", "C:\\App\\After"), kErrorSuccess);
       },
       {{"C:\\APP\\AFTER\\IN.TXT", "in.txt"}, {"C:\\App\\before", ""}}},
      {"file deleted",
       [](MachineFileSystem& f) {
         ASSERT_NE(f.Open("C:\\App\\Gone.txt", OpenMode::kWriteBinary, nullptr), nullptr);
         ASSERT_EQ(f.DeleteFile("C:\\APP\\GONE.TXT"), kErrorSuccess);
       },
       {{"C:\\App\\gone.txt", ""}, {"C:\\App\\Gone.txt", ""}}},
      {"deleted and made again in another case",
       [](MachineFileSystem& f) {
         ASSERT_NE(f.Open("C:\\App\\again.txt", OpenMode::kWriteBinary, nullptr), nullptr);
         ASSERT_EQ(f.DeleteFile("C:\\App\\AGAIN.TXT"), kErrorSuccess);
         ASSERT_NE(f.Open("C:\\App\\AGAIN.TXT", OpenMode::kWriteBinary, nullptr), nullptr);
       },
       {{"c:\\app\\again.txt", "AGAIN.TXT"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Learn();
    c.change(files_);
    for (const auto& [path, name] : c.expected) EXPECT_EQ(Found(path), name) << path;
    // A second object, which reads the directories afresh, agrees.
    MachineFileSystem fresh(machine_.string(), temp_.path().string());
    for (const auto& [path, name] : c.expected) {
      const std::optional<FindData> found = fresh.FindFirstFile(path);
      EXPECT_EQ(found.has_value() ? found->name : "", name) << path << " read afresh";
    }
  }
}

TEST_F(NameCacheTest, ManyFilesInOneFolderAreAllFoundAndNoneTwice) {
  constexpr int kFiles = 3000;
  for (int i = 0; i < kFiles; ++i) {
    ASSERT_TRUE(Write("C:\\App\\File" + std::to_string(i) + ".Txt")) << i;
  }
  for (int i = 0; i < kFiles; i += 7) {
    EXPECT_EQ(Found("C:\\APP\\FILE" + std::to_string(i) + ".TXT"),
              "File" + std::to_string(i) + ".Txt");
  }
  // Writing over a file in another case reaches the same file.
  ASSERT_TRUE(Write("c:\\app\\file5.txt"));
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(machine_ / "drive_c" / "App")) {
    ++entries;
  }
  EXPECT_EQ(entries, static_cast<std::size_t>(kFiles));
}

TEST_F(NameCacheTest, EntriesRemovedByOthersAreNotFoundAgain) {
  ASSERT_TRUE(Write("C:\\App\\Shared.txt"));
  EXPECT_EQ(Found("C:\\APP\\SHARED.TXT"), "Shared.txt");
  fs::remove(machine_ / "drive_c" / "App" / "Shared.txt");
  EXPECT_EQ(Found("C:\\APP\\SHARED.TXT"), "");
  ASSERT_TRUE(Write("C:\\APP\\SHARED.TXT"));
  EXPECT_TRUE(fs::exists(machine_ / "drive_c" / "App" / "SHARED.TXT"));
  EXPECT_EQ(Found("c:\\app\\shared.txt"), "SHARED.TXT");
}

TEST_F(NameCacheTest, ExactNameWinsWhereLinuxHoldsSeveral) {
  Learn();
  ASSERT_TRUE(Write("C:\\App\\b.txt"));
  // Made by another program: found by its exact name even though it was not seen being made.
  { std::ofstream(machine_ / "drive_c" / "App" / "B.txt").put('x'); }
  EXPECT_EQ(Found("C:\\App\\B.txt"), "B.txt");
  EXPECT_EQ(Found("C:\\App\\b.txt"), "b.txt");
}

}  // namespace
}  // namespace setup
