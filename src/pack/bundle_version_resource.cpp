// The version resource of a Windows one-file installer.
#include "pack/bundle_version_resource.h"

#include <vector>

#include "pack/pe_image_resources.h"
#include "pack/version_info_block.h"
#include "platform/text_encoding.h"

namespace setup::pack {

namespace {

std::u16string Utf16(const std::string& text) {
  std::u32string characters;
  if (std::optional<std::u32string> decoded = DecodeUtf8(text)) {
    characters = *decoded;
  } else {
    for (char byte : text) characters.push_back(static_cast<unsigned char>(byte));
  }
  std::u16string units;
  for (char32_t c : characters) {
    if (c < 0x10000) {
      units.push_back(static_cast<char16_t>(c));
    } else {
      units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
  }
  return units;
}

std::string DottedText(const VersionNumbers& numbers) {
  return std::to_string(numbers[0]) + "." + std::to_string(numbers[1]) + "." +
         std::to_string(numbers[2]);
}

VersionInfoFields FieldsFor(const BundleIdentity& identity, const VersionNumbers& stubVersion) {
  VersionInfoFields fields;
  fields.fileVersion = stubVersion;
  const std::string version = identity.version.value_or(DottedText(stubVersion));
  fields.productVersion = ParseVersionNumbers(version).value_or(VersionNumbers{});
  const std::string product = identity.productName.empty() ? "Setup" : identity.productName;
  const std::string description = identity.productName.empty()
                                      ? "Setup: unpacks and runs the installer it carries"
                                      : identity.productName + " Setup";
  if (identity.publisher) fields.strings.emplace_back(u"CompanyName", Utf16(*identity.publisher));
  fields.strings.emplace_back(u"FileDescription", Utf16(description));
  fields.strings.emplace_back(u"FileVersion", Utf16(DottedText(stubVersion)));
  fields.strings.emplace_back(u"InternalName", u"SetupStub");
  fields.strings.emplace_back(u"OriginalFilename", Utf16(identity.fileName));
  fields.strings.emplace_back(u"ProductName", Utf16(product));
  fields.strings.emplace_back(u"ProductVersion", Utf16(version));
  return fields;
}

}  // namespace

bool HasIdentity(const BundleIdentity& identity) {
  return !identity.productName.empty() || identity.version || identity.publisher;
}

bool GiveStubIdentity(std::string* image, const BundleIdentity& identity, std::string* why) {
  std::vector<Resource> resources;
  if (!ReadResources(*image, &resources, why)) return false;
  bool replaced = false;
  for (Resource& resource : resources) {
    if (resource.type != ResourceKey{kResourceTypeVersion, {}} ||
        resource.name != ResourceKey{kVersionInfoName, {}}) {
      continue;
    }
    const VersionNumbers stubVersion = FileVersionOf(resource.data).value_or(VersionNumbers{});
    resource.data = VersionInfoBlock(FieldsFor(identity, stubVersion));
    replaced = true;
  }
  if (!replaced) {
    *why = "the stub has no version resource";
    return false;
  }
  return WriteResources(image, resources, why);
}

}  // namespace setup::pack
