// The one-file installer's stub on an in-memory system: finding and checking the archive, every
// flipped byte and every cut refused before anything is made, unsafe names, a full disk, and
// what the installer is handed.
#include "bundle/bundle_runner.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

#include "bundle/bundle_format.h"

namespace setup::bundle {
namespace {

class MemoryFile final : public File {
 public:
  MemoryFile(std::string* bytes, std::size_t capacity) : bytes_(bytes), capacity_(capacity) {}
  std::size_t Read(void* buffer, std::size_t size) override {
    const std::size_t n =
        position_ >= bytes_->size() ? 0 : std::min(size, bytes_->size() - position_);
    std::memcpy(buffer, bytes_->data() + position_, n);
    position_ += n;
    return n;
  }
  std::size_t Write(const void* data, std::size_t size) override {
    const std::size_t n =
        std::min(size, capacity_ > bytes_->size() ? capacity_ - bytes_->size() : 0);
    bytes_->append(static_cast<const char*>(data), n);
    if (n < size) error_ = true;
    return n;
  }
  std::int64_t Tell() override { return static_cast<std::int64_t>(position_); }
  bool Seek(std::int64_t offset) override {
    position_ = static_cast<std::size_t>(offset);
    return true;
  }
  std::int64_t Length() override { return static_cast<std::int64_t>(bytes_->size()); }
  bool Error() const override { return error_; }
  bool Close() override { return !error_; }

 private:
  std::string* bytes_;
  std::size_t capacity_;
  std::size_t position_ = 0;
  bool error_ = false;
};

class FakeBundleSystem final : public BundleSystem {
 public:
  std::string OwnProgramPath() override { return "self"; }
  std::unique_ptr<File> OpenForReading(const std::string&) override {
    return std::make_unique<MemoryFile>(&program, 0);
  }
  std::string CreatePrivateFolder(std::string*) override {
    ++foldersMade;
    folders.insert("T");
    return "T";
  }
  bool CreateFolder(const std::string& path) override {
    folders.insert(path);
    return true;
  }
  std::unique_ptr<File> CreateFile(const std::string& path, bool executable) override {
    if (executable) executables.insert(path);
    std::size_t used = 0;
    for (const auto& [name, bytes] : files) used += bytes.size();
    files[path].clear();
    return std::make_unique<MemoryFile>(&files[path], diskRoom > used ? diskRoom - used : 0);
  }
  void RemoveTree(const std::string& path) override {
    for (auto it = files.begin(); it != files.end();) {
      it = it->first.rfind(path, 0) == 0 ? files.erase(it) : std::next(it);
    }
    folders.clear();
  }
  int RunAndWait(const std::string& folder, const std::string& program,
                 const std::vector<std::string>& arguments, std::string*) override {
    ran = folder + "/" + program;
    filesAtRun = files;
    given = arguments;
    return 5;
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  std::string InstallerName() const override { return "setup"; }
  char PathSeparator() const override { return '/'; }

  std::string program;
  std::size_t diskRoom = 1 << 20;
  int foldersMade = 0;
  std::set<std::string> folders, executables;
  std::map<std::string, std::string> files, filesAtRun;
  std::string ran;
  std::vector<std::string> given, errors;
};

std::string Body(const std::vector<std::pair<std::string, std::string>>& files) {
  std::string body;
  AppendU32(&body, 12);
  body += "Sample Notes";
  AppendU32(&body, static_cast<std::uint32_t>(files.size()));
  for (const auto& [name, data] : files) {
    AppendU32(&body, static_cast<std::uint32_t>(name.size()));
    body += name;
    AppendU32(&body, name == "setup" ? kExecutable : 0);
    AppendU64(&body, data.size());
    body += data;
  }
  return body;
}

std::string Archive(const std::string& body) {
  Header header;
  header.bodyLength = body.size();
  std::unique_ptr<Sha256> sha = CreateSha256();
  sha->Update(body.data(), body.size());
  header.digest = sha->Finish();
  return EncodeHeader(header) + body;
}

// A stub that holds a decoy magic with a plausible header, as a program's own bytes might.
const std::string kStub = "MZ stub bytes " + Magic() + std::string(48, '\x01') + " more stub";
const std::string kBody = Body({{"setup", "#!installer"}, {"data/a.txt", "payload bytes"}});

TEST(BundleRunnerTest, SoundBundleRunsTheInstallerAndCleansUp) {
  for (const std::string& signature : {std::string(), std::string(4096, '\x30')}) {
    FakeBundleSystem system;
    system.program = kStub + Archive(kBody) + signature;
    EXPECT_EQ(5, RunBundle(system, {"--unattended"}));
    EXPECT_TRUE(system.errors.empty());
    EXPECT_EQ("T/setup", system.ran);
    EXPECT_EQ("#!installer", system.filesAtRun["T/setup"]);
    EXPECT_EQ("payload bytes", system.filesAtRun["T/data/a.txt"]);
    EXPECT_EQ(1u, system.executables.count("T/setup"));
    EXPECT_EQ((std::vector<std::string>{"Sample*Notes", "--unattended"}), system.given);
    EXPECT_TRUE(system.files.empty()) << "the folder is removed afterwards";
  }
}

TEST(BundleRunnerTest, EveryFlippedByteAndEveryCutIsRefusedBeforeAnythingIsMade) {
  const std::string archive = Archive(kBody);
  std::vector<std::string> damaged;
  for (std::size_t i = 0; i < archive.size(); ++i) {
    std::string flipped = kStub + archive;
    flipped[kStub.size() + i] ^= 0x20;
    damaged.push_back(flipped);
    damaged.push_back(kStub + archive.substr(0, i));
  }
  for (const std::string& program : damaged) {
    FakeBundleSystem system;
    system.program = program;
    EXPECT_EQ(1, RunBundle(system, {}));
    ASSERT_EQ(1u, system.errors.size());
    EXPECT_EQ(kDamagedText, system.errors[0]);
    EXPECT_EQ(0, system.foldersMade);
    EXPECT_TRUE(system.ran.empty());
  }
}

TEST(BundleRunnerTest, UnsafeNamesAndFullDisksRunNothingAndLeaveNothing) {
  struct Case {
    std::string body;
    std::size_t diskRoom;
    const char* message;
  };
  const Case cases[] = {
      {Body({{"../evil", "x"}}), 1 << 20, "damaged"},
      {Body({{"/etc/evil", "x"}}), 1 << 20, "damaged"},
      {Body({{"a\\..\\b", "x"}}), 1 << 20, "damaged"},
      {Body({{"data//a", "x"}}), 1 << 20, "damaged"},
      {kBody + "extra", 1 << 20, "damaged"},
      {kBody, 15, "the disk is full"},
  };
  for (const Case& c : cases) {
    FakeBundleSystem system;
    system.program = kStub + Archive(c.body);
    system.diskRoom = c.diskRoom;
    EXPECT_EQ(1, RunBundle(system, {}));
    ASSERT_EQ(1u, system.errors.size());
    EXPECT_NE(std::string::npos, system.errors[0].find(c.message)) << system.errors[0];
    EXPECT_TRUE(system.ran.empty());
    EXPECT_TRUE(system.files.empty());
  }
}

TEST(BundleRunnerTest, TheUsersProductNameWinsAndOtherArgumentsFollow) {
  struct Case {
    std::vector<std::string> given;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {{}, {"My*App"}},
      {{"--unattended", "--dir=C:\\X"}, {"My*App", "--unattended", "--dir=C:\\X"}},
      {{"Other*Name", "--unattended"}, {"Other*Name", "--unattended"}},
      {{""}, {"My*App", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, InstallerArguments("My App", c.given));
  EXPECT_EQ((std::vector<std::string>{"--unattended"}), InstallerArguments("", {"--unattended"}));
}

}  // namespace
}  // namespace setup::bundle
