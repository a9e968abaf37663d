// The host's PE version-resource reader on sound images and on damaged or hostile ones.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/host/version/pe_resources.h"
#include "platform/host/version/pe_version_info.h"
#include "platform/version_info.h"
#include "support/fake_file_system.h"
#include "support/pe_writer.h"

namespace setup {
namespace {

using testing::MakePeDll;
using testing::MakeVersionInfoBlock;
using testing::PeLayout;
using testing::PeOptions;
using testing::PeResources;

std::string ReadVersion(const std::string& image) {
  MemoryByteSource source(image);
  return ReadVersionResource(source);
}

// The file version in the block's fixed record, as "major.minor.build.revision"; "" if none.
std::string FixedVersion(const std::string& block) {
  std::size_t offset = 0;
  std::uint32_t length = 0;
  FixedFileInfo info;
  if (!FindRootValue(block.data(), block.size(), &offset, &length) || length < sizeof(info)) {
    return "";
  }
  std::memcpy(&info, block.data() + offset, sizeof(info));
  if (info.dwSignature != 0xFEEF04BD) return "bad signature";
  return std::to_string(info.dwFileVersionMS >> 16) + "." +
         std::to_string(info.dwFileVersionMS & 0xFFFF) + "." +
         std::to_string(info.dwFileVersionLS >> 16) + "." +
         std::to_string(info.dwFileVersionLS & 0xFFFF);
}

void Poke32(std::string* image, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) (*image)[at + i] = static_cast<char>(value >> (8 * i));
}

TEST(PeVersionTest, ReadsTheVersionOfEveryKindOfImage) {
  struct Case {
    PeOptions image;  // PE32+, DLL, resources, file version
    std::string version;
  };
  const Case cases[] = {
      {{false, true, PeResources::kVersion, 1, 2, 3, 4}, "1.2.3.4"},
      {{true, true, PeResources::kVersion, 65535, 65535, 65535, 65535}, "65535.65535.65535.65535"},
      {{false, false, PeResources::kVersion, 0, 0, 0, 0}, "0.0.0.0"},
      {{true, false, PeResources::kVersion, 10, 9, 0, 1}, "10.9.0.1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version + (c.image.pe32Plus ? " PE32+" : " PE32") +
                 (c.image.dll ? " DLL" : " EXE"));
    const std::string block = ReadVersion(MakePeDll(c.image));
    EXPECT_EQ(block, MakeVersionInfoBlock(c.image));
    EXPECT_EQ(FixedVersion(block), c.version);
  }
}

TEST(PeVersionTest, ImagesWithoutAVersionResourceHaveNone) {
  for (const PeResources resources : {PeResources::kNone, PeResources::kNoVersion}) {
    PeOptions options;
    options.resources = resources;
    EXPECT_EQ(ReadVersion(MakePeDll(options)), "");
  }
  EXPECT_EQ(ReadVersion(""), "");
  EXPECT_EQ(ReadVersion("MZ plain text, not an image"), "");
}

TEST(PeVersionTest, AnImageCutShortAnywhereBeforeItsVersionBlockEndsHasNone) {
  for (const bool pe32Plus : {false, true}) {
    PeOptions options;
    options.pe32Plus = pe32Plus;
    PeLayout layout;
    const std::string image = MakePeDll(options, &layout);
    const std::size_t needed = layout.versionBlock + layout.versionBlockSize;
    for (std::size_t length = 0; length <= image.size(); ++length) {
      // A copy of exactly `length` bytes, so that a sanitizer sees any read past its end.
      const std::string cut(image, 0, length);
      EXPECT_EQ(ReadVersion(cut).empty(), length < needed) << "length " << length;
    }
  }
}

TEST(PeVersionTest, DamagedHeadersAndDirectoriesGiveNoVersion) {
  PeLayout at;
  const std::string image = MakePeDll(PeOptions{}, &at);
  const std::uint32_t coff = at.peHeader + 4;
  const std::uint32_t rsrcHeader = at.sectionTable + 40;  // .rsrc follows .rdata
  const std::uint32_t resourceEntry = at.optionalHeader + 96 + 16;
  const std::uint32_t root = at.resourceSection;
  const std::uint32_t dataEntry = root + 0x48;
  struct Case {
    const char* what;
    std::uint32_t offset;
    std::uint32_t value;
    bool readable;
  };
  const Case cases[] = {
      {"no MZ", 0, 0x00905A4E, false},
      {"e_lfanew past the end", 0x3C, 0xFFFFFFF0, false},
      {"e_lfanew inside the DOS header", 0x3C, 0x2, false},
      {"no PE signature", at.peHeader, 0x00004550 + 1, false},
      {"ROM optional header", at.optionalHeader, 0x00000107, false},
      {"optional header too small for the resource entry", coff + 16, 0x01020060, false},
      {"only two data directories", at.optionalHeader + 92, 2, false},
      {"section table past the end", coff, 0xFFFF014C, false},
      {"no resource directory", resourceEntry, 0, false},
      {"resource directory of size 0", resourceEntry + 4, 0, false},
      {"resource directory outside every section", resourceEntry, 0xFFFFFF00, false},
      {"resource section's data past the end", rsrcHeader + 20, 0xFFFFFE00, false},
      {"resource section at the top of the address space", rsrcHeader + 12, 0xFFFFF000, false},
      {"resource section of virtual size 8", rsrcHeader + 8, 8, false},
      {"huge raw size, data still in the file", rsrcHeader + 16, 0xFFFFFFFF, true},
      {"65535 + 65535 root entries", root + 12, 0xFFFFFFFF, false},
      {"version entry is data, not a directory", root + 20, 0x18, false},
      {"version entry loops to the root", root + 20, 0x80000000, false},
      {"name entry loops to itself", root + 0x18 + 20, 0x80000018, false},
      {"language entry loops to the root", root + 0x30 + 20, 0x80000000, false},
      {"directory offset past the section", root + 20, 0xFFFFFFF0, false},
      {"name 2 instead of VS_VERSION_INFO", root + 0x18 + 16, 2, false},
      {"data outside every section", dataEntry, 0x7FFFFFF0, false},
      {"data size beyond the section", dataEntry + 4, 0x1000, false},
      {"data size of 4 GiB", dataEntry + 4, 0xFFFFFFFF, false},
      {"data size below the block's length", dataEntry + 4, 8, false},
      {"block length 0", at.versionBlock, 0x00340000, false},
      {"block length 4", at.versionBlock, 0x00340004, false},
  };
  for (const Case& c : cases) {
    std::string damaged = image;
    Poke32(&damaged, c.offset, c.value);
    EXPECT_EQ(!ReadVersion(damaged).empty(), c.readable) << c.what;
  }
}

TEST(PeVersionTest, AFullSectionTableIsWalkedWithoutTrouble) {
  PeLayout at;
  const std::string image = MakePeDll(PeOptions{}, &at);
  // Move the table to the end of the file and fill it to 65535 sections, the real two last.
  std::string big = image;
  const std::uint32_t sizeOfOptionalHeader =
      static_cast<std::uint32_t>(image.size()) - at.optionalHeader;
  Poke32(&big, at.peHeader + 4, 0xFFFF014C);  // i386, 65535 sections
  big[at.peHeader + 4 + 16] = static_cast<char>(sizeOfOptionalHeader & 0xFF);
  big[at.peHeader + 4 + 17] = static_cast<char>(sizeOfOptionalHeader >> 8);
  big.append(65533 * 40, '\0');
  big += image.substr(at.sectionTable, 2 * 40);
  EXPECT_EQ(ReadVersion(big), MakeVersionInfoBlock(PeOptions{}));
}

TEST(PeVersionTest, RandomDamageNeverReadsOutsideTheImage) {
  // Meant to run under the address sanitizer as well; results only need to be sane.
  for (const bool pe32Plus : {false, true}) {
    PeOptions options;
    options.pe32Plus = pe32Plus;
    const std::string image = MakePeDll(options);
    std::uint32_t state = 12345;
    auto next = [&state] { return state = state * 1103515245u + 12345u; };
    for (int round = 0; round < 20000; ++round) {
      std::string damaged = image;
      const int changes = 1 + static_cast<int>(next() >> 16) % 4;
      for (int i = 0; i < changes; ++i) {
        damaged[(next() >> 8) % damaged.size()] = static_cast<char>(next() >> 24);
      }
      damaged.resize(damaged.size() - (next() >> 16) % 64);
      const std::string block = ReadVersion(damaged);
      ASSERT_LE(block.size(), 0xFFFFu);
      std::size_t offset = 0;
      std::uint32_t length = 0;
      if (FindRootValue(block.data(), block.size(), &offset, &length)) {
        ASSERT_LE(offset + length, block.size());
      }
    }
  }
}

TEST(PeVersionTest, RootValueStaysInsideTheBlock) {
  const std::string sound = MakeVersionInfoBlock(PeOptions{});
  auto withWord = [&](std::size_t at, std::uint16_t value) {
    std::string block = sound;
    block[at] = static_cast<char>(value & 0xFF);
    block[at + 1] = static_cast<char>(value >> 8);
    return block;
  };
  std::string unterminated = sound;
  for (std::size_t at = 6; at < unterminated.size(); at += 2) unterminated[at] = 'A';
  struct Case {
    const char* what;
    std::string block;
    std::size_t size;
    bool found;
    std::uint32_t length;
  };
  const Case cases[] = {
      {"sound block", sound, sound.size(), true, 52},
      {"fewer bytes than a header", sound, 5, false, 0},
      {"cut inside the key", sound, 20, false, 0},
      {"cut inside the value", sound, 60, false, 0},
      {"length field below the value's end", withWord(0, 91), sound.size(), false, 0},
      {"length field of 2", withWord(0, 2), sound.size(), false, 0},
      {"length field beyond the bytes given", withWord(0, 0xFFFF), 92, true, 52},
      {"no value", withWord(2, 0), sound.size(), true, 0},
      {"value longer than the block", withWord(2, 0xFFFF), sound.size(), false, 0},
      {"text value counted in characters", withWord(4, 1), sound.size(), true, 52},
      {"key without its zero", unterminated, sound.size(), false, 0},
  };
  for (const Case& c : cases) {
    std::size_t offset = 0;
    std::uint32_t length = 0;
    // Only `size` bytes exist, so that a sanitizer sees any read past them.
    const std::string bytes = c.block.substr(0, c.size);
    EXPECT_EQ(FindRootValue(bytes.data(), bytes.size(), &offset, &length), c.found) << c.what;
    if (c.found) {
      EXPECT_EQ(offset, 40u) << c.what;
      EXPECT_EQ(length, c.length) << c.what;
    }
  }
  std::size_t offset = 0;
  std::uint32_t length = 0;
  EXPECT_FALSE(FindRootValue(nullptr, 100, &offset, &length));
}

TEST(PeVersionTest, AShortBufferGetsACutBlockThatQueriesStayInside) {
  testing::FakeFileSystem files;
  PeOptions options;
  options.major = 3;
  files.PutFile("C:\\lib.dll", MakePeDll(options));
  PeVersionInfo versions(files);
  const std::uint32_t size = versions.GetFileVersionInfoSize("C:\\lib.dll");
  ASSERT_EQ(size, MakeVersionInfoBlock(options).size());
  struct Case {
    std::uint32_t size;
    bool copied;
    bool queried;
  };
  for (const Case& c : {Case{size, true, true}, Case{92, true, true}, Case{91, true, false},
                        Case{2, true, false}, Case{1, false, false}}) {
    // Exactly `c.size` bytes, so that a sanitizer sees any read past them.
    std::vector<unsigned char> block(c.size, 0xEE);
    ASSERT_EQ(versions.GetFileVersionInfo("C:\\lib.dll", c.size, block.data()), c.copied) << c.size;
    if (!c.copied) continue;
    const void* record = nullptr;
    std::uint32_t length = 0;
    ASSERT_EQ(versions.QueryRootValue(block.data(), &record, &length), c.queried) << c.size;
    if (c.queried) {
      FixedFileInfo info;
      std::memcpy(&info, record, sizeof(info));
      EXPECT_EQ(info.dwFileVersionMS, 0x30000u);
    }
  }
}

TEST(PeVersionTest, UnreadableFilesHaveNoVersionInformation) {
  testing::FakeFileSystem files;
  PeLayout layout;
  files.PutFile("C:\\lib.dll", MakePeDll(PeOptions{}, &layout));
  ASSERT_EQ(files.CreateDirectory("C:\\dir.dll"), kErrorSuccess);
  PeVersionInfo versions(files);
  files.readErrorPath = "C:\\lib.dll";
  files.readErrorOffset = layout.versionBlock + 10;
  std::vector<unsigned char> block(4096);
  for (const char* path : {"C:\\lib.dll", "C:\\dir.dll", "C:\\missing.dll"}) {
    EXPECT_EQ(versions.GetFileVersionInfoSize(path), 0u) << path;
    EXPECT_FALSE(versions.GetFileVersionInfo(path, 4096, block.data())) << path;
  }
  EXPECT_EQ(files.openFiles, 0);
}

}  // namespace
}  // namespace setup
