// A program's resources read and written back: the tree survives the round trip, the last
// section grows, what cannot be rewritten is refused, and damaged images are refused without
// reading outside them; the bundle's version block says whose product it installs.
#include "pack/pe_image_resources.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pack/bundle_version_resource.h"
#include "pack/version_info_block.h"

namespace setup::pack {
namespace {

constexpr std::size_t kOptional = 0x58;  // the optional header, after "PE\0\0" at 0x40
constexpr std::size_t kSectionTable = 0x58 + 224;

void Put32(std::string* image, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) (*image)[at + i] = static_cast<char>(value >> 8 * i & 0xFF);
}

std::uint32_t Get32(const std::string& image, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(image[at + i]);
  return value;
}

// A 32-bit image with two sections of 0x200 bytes in the file: code at 0x1000 and the
// resources at 0x2000, or the other way round.
std::string Skeleton(bool resourcesLast) {
  std::string image(0x600, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  Put32(&image, 0x3C, 0x40);
  Put32(&image, 0x40, 0x00004550);
  Put32(&image, 0x44, 0x0002014C);        // i386, two sections
  Put32(&image, 0x54, 0x010200E0);        // optional header of 224 bytes
  Put32(&image, kOptional, 0x10B);        // PE32
  Put32(&image, kOptional + 32, 0x1000);  // section alignment
  Put32(&image, kOptional + 36, 0x200);   // file alignment
  Put32(&image, kOptional + 56, 0x3000);  // size of the image
  Put32(&image, kOptional + 64, 1);       // a checksum that was set
  Put32(&image, kOptional + 92, 16);      // data directories
  const std::uint32_t resources = resourcesLast ? 0x2000 : 0x1000;
  Put32(&image, kOptional + 96 + 16, resources);  // the resource directory
  for (std::uint32_t i = 0; i < 2; ++i) {
    const std::size_t header = kSectionTable + 40 * i;
    Put32(&image, header + 8, 0x200);
    Put32(&image, header + 12, 0x1000 * (i + 1));
    Put32(&image, header + 16, 0x200);
    Put32(&image, header + 20, 0x200 * (i + 1));
  }
  return image;
}

std::vector<Resource> SomeResources(std::size_t versionSize) {
  return {
      {{3, {}}, {1, {}}, 0x409, 0, std::string(100, 'i')},
      {{16, {}}, {1, {}}, 0x409, 1200, std::string(versionSize, 'v')},
      {{0, u"MYTYPE"}, {0, u"X"}, 0, 0, "named"},
      {{3, {}}, {2, {}}, 0x407, 0, "second icon"},
  };
}

void ExpectSameResources(std::vector<Resource> expected, const std::vector<Resource>& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (const Resource& want : expected) {
    bool found = false;
    for (const Resource& got : actual) {
      found = found ||
              (got.type == want.type && got.name == want.name && got.language == want.language &&
               got.codePage == want.codePage && got.data == want.data);
    }
    EXPECT_TRUE(found) << want.data.substr(0, 10);
  }
}

TEST(PeImageResources, RoundTripAndTheLastSectionGrows) {
  std::string image = Skeleton(true);
  std::string why;
  ASSERT_TRUE(WriteResources(&image, SomeResources(60), &why)) << why;
  EXPECT_EQ(0x600u, image.size()) << "small enough for the section as it was";
  std::vector<Resource> read;
  ASSERT_TRUE(ReadResources(image, &read, &why)) << why;
  ExpectSameResources(SomeResources(60), read);
  EXPECT_EQ((ResourceKey{0, u"MYTYPE"}), read.front().type) << "named entries come first";
  const std::uint32_t checksum = Get32(image, kOptional + 64);
  EXPECT_NE(1u, checksum);

  ASSERT_TRUE(WriteResources(&image, SomeResources(5000), &why)) << why;
  EXPECT_EQ(0x400u + 0x1600u, image.size()) << "raw size rounded to the file alignment";
  EXPECT_EQ(0x4000u, Get32(image, kOptional + 56)) << "the image size covers the section";
  EXPECT_EQ(Get32(image, kSectionTable + 40 + 8), Get32(image, kOptional + 96 + 20));
  ASSERT_TRUE(ReadResources(image, &read, &why)) << why;
  ExpectSameResources(SomeResources(5000), read);
  EXPECT_NE(checksum, Get32(image, kOptional + 64));
}

TEST(PeImageResources, RefusesWhatCannotBeRewritten) {
  std::string why;
  std::string inner = Skeleton(false);
  EXPECT_TRUE(WriteResources(&inner, SomeResources(60), &why)) << why;
  EXPECT_FALSE(WriteResources(&inner, SomeResources(5000), &why));
  EXPECT_NE(std::string::npos, why.find("not the last")) << why;

  std::string signedImage = Skeleton(true);
  Put32(&signedImage, kOptional + 96 + 4 * 8 + 4, 0x100);
  EXPECT_FALSE(WriteResources(&signedImage, SomeResources(60), &why));
  EXPECT_NE(std::string::npos, why.find("signed")) << why;

  std::string elf =
      "\x7f"
      "ELF" +
      std::string(200, '\0');
  std::vector<Resource> read;
  EXPECT_FALSE(ReadResources(elf, &read, &why));
  EXPECT_FALSE(WriteResources(&elf, SomeResources(60), &why));
}

TEST(PeImageResources, DamagedImagesAreRefusedWithoutReadingOutside) {
  std::string image = Skeleton(true);
  std::string why;
  ASSERT_TRUE(WriteResources(&image, SomeResources(60), &why)) << why;
  std::vector<Resource> read;
  // Cut anywhere before the end of the last data: refused (the sanitizers watch the reads).
  for (std::size_t size = 0; size < 0x400 + 0x1EC; size += 7) {
    EXPECT_FALSE(ReadResources(image.substr(0, size), &read, &why)) << size;
  }
  // The first type's entry points back at the root: three levels are never found.
  std::string looped = image;
  Put32(&looped, 0x400 + 16 + 4, 0x80000000u);
  EXPECT_FALSE(ReadResources(looped, &read, &why));
  EXPECT_NE(std::string::npos, why.find("damaged")) << why;
}

TEST(BundleVersionResource, NamesTheProductAndKeepsTheStubsFileVersion) {
  EXPECT_EQ((VersionNumbers{2, 1, 0, 0}), ParseVersionNumbers("2.1"));
  EXPECT_EQ((VersionNumbers{10, 0, 19041, 1}), ParseVersionNumbers("10.0.19041.1.7"));
  EXPECT_EQ(std::nullopt, ParseVersionNumbers("v2"));
  EXPECT_EQ(std::nullopt, ParseVersionNumbers("70000"));

  VersionInfoFields stub;
  stub.fileVersion = {1, 4, 2, 0};
  std::string image = Skeleton(true);
  std::string why;
  ASSERT_TRUE(
      WriteResources(&image, {{{16, {}}, {1, {}}, 0x409, 1200, VersionInfoBlock(stub)}}, &why))
      << why;
  ASSERT_TRUE(
      GiveStubIdentity(&image, {"Acme Caf\xC3\xA9", "3.2", "Acme Corp", "AcmeSetup.exe"}, &why))
      << why;
  std::vector<Resource> read;
  ASSERT_TRUE(ReadResources(image, &read, &why)) << why;
  ASSERT_EQ(1u, read.size());
  const std::string& block = read[0].data;
  EXPECT_EQ((VersionNumbers{1, 4, 2, 0}), FileVersionOf(block));
  const auto holds = [&block](std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text)
      bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return block.find(bytes) != std::string::npos;
  };
  EXPECT_TRUE(holds(u"Acme Café Setup"));
  EXPECT_TRUE(holds(u"Acme Corp"));
  EXPECT_TRUE(holds(u"AcmeSetup.exe"));
  EXPECT_TRUE(holds(u"1.4.2"));
  // The fixed record's product version, after the file version (signature, structure version).
  EXPECT_EQ(0x00030002u, Get32(block, 40 + 16));

  std::string bare = Skeleton(true);
  ASSERT_TRUE(WriteResources(&bare, {{{3, {}}, {1, {}}, 0, 0, "icon"}}, &why));
  EXPECT_FALSE(GiveStubIdentity(&bare, {"Acme", {}, {}, "a.exe"}, &why));
  EXPECT_EQ("the stub has no version resource", why);
}

}  // namespace
}  // namespace setup::pack
