// Version resources as GetFileVersionInfoA and VerQueryValueA answer them, on every platform.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/pe_writer.h"
#include "support/test_platform.h"
#include "support/write_whole_file.h"

namespace setup {
namespace {

using testing::PeOptions;
using testing::PeResources;

class VersionInfoContract : public ::testing::TestWithParam<testing::ContractMachine> {
 protected:
  void SetUp() override { machine_ = GetParam().make(); }

  std::string Path(const std::string& relative) { return machine_.scratch + "\\" + relative; }

  void WriteFile(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(testing::WriteWholeFile(*machine_.files, path, bytes));
  }

  // An image with a version resource, and its record in the table where versions are one.
  void WriteImage(const std::string& path, const PeOptions& options) {
    WriteFile(path, testing::MakePeDll(options));
    if (!machine_.declareVersion) return;
    FixedFileInfo record{};
    record.dwSignature = options.signature;
    record.dwStrucVersion = 0x00010000;
    record.dwFileVersionMS = std::uint32_t{options.major} << 16 | options.minor;
    record.dwFileVersionLS = std::uint32_t{options.build} << 16 | options.revision;
    machine_.declareVersion(path, record);
  }

  // The fixed record read the engine's way; false when any step fails.
  bool ReadFixedRecord(const std::string& path, FixedFileInfo* info) {
    VersionInfo& versions = *machine_.versions;
    const std::uint32_t size = versions.GetFileVersionInfoSize(path);
    if (size == 0) return false;
    std::vector<unsigned char> block(size);
    if (!versions.GetFileVersionInfo(path, size, block.data())) return false;
    const void* record = nullptr;
    std::uint32_t length = 0;
    if (!versions.QueryRootValue(block.data(), &record, &length) || record == nullptr) {
      return false;
    }
    EXPECT_EQ(length, sizeof(FixedFileInfo)) << path;
    if (length < sizeof(FixedFileInfo)) return false;
    std::memcpy(info, record, sizeof(*info));
    return true;
  }

  testing::TestMachine machine_;
};

TEST_P(VersionInfoContract, ReadsTheFixedRecordOfWrittenImages) {
  struct Case {
    const char* name;
    PeOptions image;  // PE32+, DLL, resources, file version
  };
  const Case cases[] = {
      {"lib32.dll", {false, true, PeResources::kVersion, 1, 2, 3, 4}},
      {"lib64.dll", {true, true, PeResources::kVersion, 7, 10, 0, 65535}},
      {"app32.exe", {false, false, PeResources::kVersion, 65535, 65535, 1, 0}},
      {"app64.exe", {true, false, PeResources::kVersion, 0, 1, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteImage(Path(c.name), c.image);
    FixedFileInfo info{};
    ASSERT_TRUE(ReadFixedRecord(Path(c.name), &info));
    EXPECT_EQ(info.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(info.dwFileVersionMS, std::uint32_t{c.image.major} << 16 | c.image.minor);
    EXPECT_EQ(info.dwFileVersionLS, std::uint32_t{c.image.build} << 16 | c.image.revision);
  }
}

TEST_P(VersionInfoContract, AWrongSignatureIsHandedOverForTheCallerToReject) {
  PeOptions options;
  options.signature = 0x12345678;
  WriteImage(Path("odd.dll"), options);
  FixedFileInfo info{};
  ASSERT_TRUE(ReadFixedRecord(Path("odd.dll"), &info));
  EXPECT_EQ(info.dwSignature, 0x12345678u);
}

TEST_P(VersionInfoContract, FilesWithoutAVersionResourceHaveNoVersionInformation) {
  PeOptions noResources;
  noResources.resources = PeResources::kNone;
  PeOptions noVersion;
  noVersion.resources = PeResources::kNoVersion;
  WriteFile(Path("bare.dll"), testing::MakePeDll(noResources));
  WriteFile(Path("data.dll"), testing::MakePeDll(noVersion));
  // Only the resource named VS_VERSION_INFO (1) counts; here it is named 2.
  testing::PeLayout layout;
  std::string otherName = testing::MakePeDll(PeOptions{}, &layout);
  otherName[layout.resourceSection + 0x18 + 16] = 2;  // the name directory's only entry
  WriteFile(Path("named2.dll"), otherName);
  WriteFile(Path("text.dll"), "not a program at all");
  WriteFile(Path("empty.dll"), "");
  ASSERT_EQ(machine_.files->CreateDirectory(Path("folder.dll")), kErrorSuccess);
  for (const char* name : {"bare.dll", "data.dll", "named2.dll", "text.dll", "empty.dll",
                           "folder.dll", "missing.dll"}) {
    EXPECT_EQ(machine_.versions->GetFileVersionInfoSize(Path(name)), 0u) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(Implementations, VersionInfoContract,
                         ::testing::ValuesIn(testing::ContractMachines()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup
