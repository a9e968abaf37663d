// The installer's check against setup.sum: which manifests count as none and which as unreadable,
// how names are looked up, and that a file is judged by its size before a byte of it is read.
#include "install/payload_manifest.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/forwarding_file_system.h"
#include "support/fake_file_system.h"

namespace setup::testing {
namespace {

std::string Line(const std::string& bytes, const std::string& name) {
  ManifestEntry entry;
  entry.name = name;
  entry.size = bytes.size();
  std::unique_ptr<Sha256> sha = CreateSha256();
  sha->Update(bytes.data(), bytes.size());
  entry.digest = sha->Finish();
  return FormatManifestLine(entry);
}

// A file of zeros that claims `length` bytes (-1: its length cannot be told) and never ends;
// reads past `failAfter` bytes fail, so a check that reads it whole ends with a read error.
class EndlessFile final : public File {
 public:
  EndlessFile(std::int64_t length, std::uint64_t* bytesRead) : length_(length), read_(bytesRead) {}
  std::size_t Read(void* buffer, std::size_t size) override {
    if (*read_ >= kFailAfter) {
      error_ = true;
      return 0;
    }
    std::memset(buffer, 0, size);
    *read_ += size;
    return size;
  }
  std::size_t Write(const void*, std::size_t) override { return 0; }
  std::int64_t Tell() override { return static_cast<std::int64_t>(*read_); }
  bool Seek(std::int64_t) override { return false; }
  std::int64_t Length() override { return length_; }
  bool Error() const override { return error_; }
  bool Close() override { return true; }

 private:
  static constexpr std::uint64_t kFailAfter = 64 << 20;
  std::int64_t length_;
  std::uint64_t* read_;
  bool error_ = false;
};

// The fake file system, with "terms.txt" an endless file.
class EndlessTermsFiles final : public ForwardingFileSystem {
 public:
  EndlessTermsFiles(FileSystem& inner, std::int64_t length)
      : ForwardingFileSystem(inner), length_(length) {}
  std::unique_ptr<File> Open(const std::string& path, OpenMode mode, int* crtError) override {
    if (path == "terms.txt") return std::make_unique<EndlessFile>(length_, &bytesRead);
    return inner().Open(path, mode, crtError);
  }
  std::uint64_t bytesRead = 0;

 private:
  std::int64_t length_;
};

TEST(PayloadManifest, AHugeFileIsJudgedByItsSizeBeforeItIsRead) {
  FakeFileSystem fake;
  fake.PutFile("setup.sum", ManifestHeader() + Line("terms", "terms.txt"));
  {
    EndlessTermsFiles files(fake, std::int64_t{64} << 30);
    const std::optional<PayloadManifest> manifest = PayloadManifest::Load(files);
    ASSERT_TRUE(manifest);
    EXPECT_EQ(std::optional<std::string>("it holds 68719476736 bytes instead of 5"),
              manifest->Problem(files, "terms.txt", false));
    EXPECT_EQ(0u, files.bytesRead) << "the open file's length tells the size";
  }
  {
    // Its length cannot be told: no more than one byte beyond the listed size is read.
    EndlessTermsFiles files(fake, -1);
    const std::optional<PayloadManifest> manifest = PayloadManifest::Load(files);
    ASSERT_TRUE(manifest);
    EXPECT_EQ(std::optional<std::string>("it holds more than 5 bytes instead of 5"),
              manifest->Problem(files, "terms.txt", false));
    EXPECT_EQ(6u, files.bytesRead);
  }
}

TEST(PayloadManifest, OnlyAMissingManifestMeansNone) {
  {
    FakeFileSystem files;
    EXPECT_FALSE(PayloadManifest::Load(files)) << "no setup.sum";
  }
  struct Case {
    const char* name;
    void (*arrange)(FakeFileSystem&);
  };
  const Case cases[] = {
      {"a folder", [](FakeFileSystem& files) { files.PutDirectory("setup.sum"); }},
      {"refused (a FIFO, no permission)",
       [](FakeFileSystem& files) {
         files.PutFile("setup.sum", ManifestHeader());
         files.openErrors["setup.sum"] = 13;
       }},
      {"a read error",
       [](FakeFileSystem& files) {
         files.PutFile("setup.sum", ManifestHeader() + Line("terms", "terms.txt"));
         files.readErrorPath = "setup.sum";
         files.readErrorOffset = 10;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem files;
    c.arrange(files);
    files.PutFile("terms.txt", "terms");
    files.PutFile("data\\a.cmp", "a");
    const std::optional<PayloadManifest> manifest = PayloadManifest::Load(files);
    ASSERT_TRUE(manifest) << "an unreadable manifest, not none";
    EXPECT_EQ(std::optional<std::string>("setup.sum cannot be read"),
              manifest->Problem(files, "terms.txt", false));
    EXPECT_EQ(std::optional<std::string>("setup.sum cannot be read"),
              manifest->Problem(files, "data\\a.cmp", true));
  }
}

TEST(PayloadManifest, NamesOutsideTheFolderMakeItUnreadable) {
  FakeFileSystem files;
  files.PutFile("setup.sum",
                ManifestHeader() + Line("terms", "terms.txt") + Line("x", "..\\outside.txt"));
  files.PutFile("terms.txt", "terms");
  const std::optional<PayloadManifest> manifest = PayloadManifest::Load(files);
  ASSERT_TRUE(manifest);
  const std::optional<std::string> problem = manifest->Problem(files, "terms.txt", false);
  ASSERT_TRUE(problem);
  EXPECT_EQ("setup.sum is damaged, line 3: the name leads out of the distribution folder",
            *problem);
}

TEST(PayloadManifest, EntriesAreFoundByTheirFoldedNames) {
  FakeFileSystem files;
  std::string text = ManifestHeader();
  for (int i = 0; i < 500; ++i)
    text += Line("x" + std::to_string(i), "Dir/File" + std::to_string(i));
  text += Line("terms", ".\\Terms.TXT");
  files.PutFile("setup.sum", text);
  files.PutFile("terms.txt", "terms");
  files.PutFile("dir\\file7", "x7");
  files.PutFile("DIR\\FILE8", "changed");
  files.PutFile("dir\\other", "o");
  const std::optional<PayloadManifest> manifest = PayloadManifest::Load(files);
  ASSERT_TRUE(manifest);
  EXPECT_EQ(std::nullopt, manifest->Problem(files, "terms.txt", true));
  EXPECT_EQ(std::nullopt, manifest->Problem(files, ".\\TERMS.txt", true));
  EXPECT_EQ(std::nullopt, manifest->Problem(files, "dir\\file7", true));
  EXPECT_EQ(std::nullopt, manifest->Problem(files, "Dir/File7", true));
  EXPECT_EQ(std::optional<std::string>("it holds 7 bytes instead of 2"),
            manifest->Problem(files, "dir\\file8", true));
  EXPECT_EQ(std::optional<std::string>("it is not listed in setup.sum"),
            manifest->Problem(files, "dir\\other", true));
  EXPECT_EQ(std::nullopt, manifest->Problem(files, "dir\\other", false));
  EXPECT_EQ(std::nullopt, manifest->Problem(files, "dir\\missing", true))
      << "a file that cannot be opened is left to whoever opens it";
  files.PutFile("dir\\file9", "y9");
  EXPECT_EQ(std::optional<std::string>("its contents have changed"),
            manifest->Problem(files, "dir\\file9", true));
}

}  // namespace
}  // namespace setup::testing
