// Reading (major, minor) from real PE files, and the rule that decides which copy stays.
#include "install/file_version.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/engine_rig.h"
#include "support/pe_writer.h"

namespace setup::testing {
namespace {

constexpr std::uint16_t kUntouched = 0xABCD;

TEST(GetFileVersion, ReadsTheFixedRecordOfPeImages) {
  struct Case {
    const char* name;
    PeOptions options;
    int result;
    std::uint16_t major, minor;
  };
  auto options = [](bool pe32Plus, bool dll, PeResources resources, std::uint16_t major,
                    std::uint16_t minor, std::uint32_t signature = 0xFEEF04BD) {
    PeOptions o;
    o.pe32Plus = pe32Plus;
    o.dll = dll;
    o.resources = resources;
    o.major = major;
    o.minor = minor;
    o.build = 77;
    o.revision = 5;
    o.signature = signature;
    return o;
  };
  const std::vector<Case> cases = {
      {"32-bit DLL", options(false, true, PeResources::kVersion, 4, 1), 1, 4, 1},
      {"64-bit DLL", options(true, true, PeResources::kVersion, 2, 10), 1, 2, 10},
      {"32-bit EXE", options(false, false, PeResources::kVersion, 7, 0), 1, 7, 0},
      {"largest numbers", options(false, true, PeResources::kVersion, 65535, 65535), 1, 65535,
       65535},
      {"no resources", options(false, true, PeResources::kNone, 1, 2), 0, kUntouched, kUntouched},
      {"no version resource", options(true, true, PeResources::kNoVersion, 1, 2), 0, kUntouched,
       kUntouched},
      {"wrong signature", options(false, true, PeResources::kVersion, 1, 2, 0xFEEF04BC), 0,
       kUntouched, kUntouched},
  };
  EngineRig rig;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = rig.Path("image" + std::to_string(n++) + ".dll");
    rig.PutFile(path, MakePeDll(c.options));
    std::uint16_t major = kUntouched;
    std::uint16_t minor = kUntouched;
    EXPECT_EQ(c.result, GetFileVersion(rig.files, rig.versions, path, &major, &minor));
    EXPECT_EQ(c.major, major);
    EXPECT_EQ(c.minor, minor);
  }
}

TEST(GetFileVersion, MissingDirectoryAndTruncatedFilesHaveNoVersion) {
  EngineRig rig;
  const std::string image = MakePeDll(PeOptions{});
  rig.PutFile(rig.Path("cut.dll"), image.substr(0, image.size() / 2));
  rig.PutFile(rig.Path("header.dll"), image.substr(0, 64));
  rig.PutFile(rig.Path("empty.dll"), "");
  rig.files.CreateDirectory(rig.Path("folder.dll"));
  for (const char* name : {"missing.dll", "cut.dll", "header.dll", "empty.dll", "folder.dll"}) {
    std::uint16_t major = kUntouched;
    std::uint16_t minor = kUntouched;
    EXPECT_EQ(0, GetFileVersion(rig.files, rig.versions, rig.Path(name), &major, &minor)) << name;
    EXPECT_EQ(kUntouched, major) << name;
    EXPECT_EQ(kUntouched, minor) << name;
  }
}

// A version reader that answers a chosen root value, for records a damaged file could yield.
class ChosenRecordVersionInfo : public VersionInfo {
 public:
  std::uint32_t GetFileVersionInfoSize(const std::string&) override { return blockSize; }
  bool GetFileVersionInfo(const std::string&, std::uint32_t size, void* block) override {
    std::memset(block, 0, size);
    FixedFileInfo info{};
    info.dwSignature = 0xFEEF04BD;
    info.dwFileVersionMS = 0x00030004;
    if (recordOffset + sizeof info <= size) {
      std::memcpy(static_cast<char*>(block) + recordOffset, &info, sizeof info);
    }
    return true;
  }
  bool QueryRootValue(const void* block, const void** record, std::uint32_t* length) override {
    *record = outside != nullptr ? outside : static_cast<const char*>(block) + recordOffset;
    *length = recordLength;
    return true;
  }
  std::uint32_t blockSize = 128;
  std::uint32_t recordOffset = 0;
  std::uint32_t recordLength = sizeof(FixedFileInfo);
  const void* outside = nullptr;
};

TEST(GetFileVersion, NeverReadsARecordThatIsShortOrOutsideTheBlock) {
  EngineRig rig;
  rig.PutFile(rig.Path("any.dll"), "x");
  static const FixedFileInfo kElsewhere = [] {
    FixedFileInfo info{};
    info.dwSignature = 0xFEEF04BD;
    info.dwFileVersionMS = 0x00090009;
    return info;
  }();
  struct Case {
    const char* name;
    std::uint32_t blockSize, recordOffset, recordLength;
    const void* outside;
    int result;
  };
  const std::vector<Case> cases = {
      {"sound", 128, 8, 52, nullptr, 1},
      {"length 0", 128, 0, 0, nullptr, 0},
      {"shorter than the fields read", 128, 0, 8, nullptr, 0},
      {"runs past the block", 64, 56, 52, nullptr, 0},
      {"block smaller than a record", 8, 0, 52, nullptr, 0},
      {"outside the block", 128, 0, 52, &kElsewhere, 0},
  };
  for (const Case& c : cases) {
    ChosenRecordVersionInfo versions;
    versions.blockSize = c.blockSize;
    versions.recordOffset = c.recordOffset;
    versions.recordLength = c.recordLength;
    versions.outside = c.outside;
    std::uint16_t major = kUntouched;
    std::uint16_t minor = kUntouched;
    EXPECT_EQ(c.result, GetFileVersion(rig.files, versions, rig.Path("any.dll"), &major, &minor))
        << c.name;
    if (c.result == 1) {
      EXPECT_EQ(3, major);
      EXPECT_EQ(4, minor);
    }
  }
}

TEST(ShouldInstallNewFile, OnlyAStrictlyNewerKnownVersionReplacesAKnownOne) {
  using V = std::optional<FileVersion>;
  struct Case {
    V installed, incoming;
    bool install;
  };
  const std::vector<Case> cases = {
      {FileVersion{1, 2}, FileVersion{1, 2}, false},
      {FileVersion{1, 9}, FileVersion{1, 10}, true},
      {FileVersion{2, 0}, FileVersion{1, 99}, false},
      {FileVersion{1, 99}, FileVersion{2, 0}, true},
      {FileVersion{4, 1}, FileVersion{4, 0}, false},
      {FileVersion{1, 0}, FileVersion{65535, 0}, true},
      {FileVersion{65535, 65534}, FileVersion{65535, 65535}, true},
      {FileVersion{65535, 0}, FileVersion{1, 0}, false},
      {std::nullopt, FileVersion{1, 0}, true},
      {FileVersion{9, 9}, std::nullopt, true},
      {std::nullopt, std::nullopt, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.install, ShouldInstallNewFile(c.installed, c.incoming))
        << (c.installed ? c.installed->major : -1) << "." << (c.installed ? c.installed->minor : -1)
        << " vs " << (c.incoming ? c.incoming->major : -1) << "."
        << (c.incoming ? c.incoming->minor : -1);
  }
}

}  // namespace
}  // namespace setup::testing
