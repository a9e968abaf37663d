// Writes small PE images (32- or 64-bit, DLL or EXE) with a version resource, for tests.
#include "support/pe_writer.h"

#include <vector>

namespace setup::testing {

namespace {

constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kSectionAlignment = 0x1000;
constexpr std::uint32_t kPeHeaderOffset = 0x80;
constexpr std::uint32_t kDataDirectoryCount = 16;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kRtRcData = 10;
constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kLanguageEnglishUs = 0x0409;

std::uint32_t AlignUp(std::uint32_t value, std::uint32_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

// Little-endian stores into a buffer that has room for them.
void Store16(std::string* out, std::size_t at, std::uint32_t value) {
  (*out)[at] = static_cast<char>(value & 0xFF);
  (*out)[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}
void Store32(std::string* out, std::size_t at, std::uint32_t value) {
  Store16(out, at, value & 0xFFFF);
  Store16(out, at + 2, value >> 16);
}
void Store64(std::string* out, std::size_t at, std::uint64_t value) {
  Store32(out, at, static_cast<std::uint32_t>(value));
  Store32(out, at + 4, static_cast<std::uint32_t>(value >> 32));
}

void Append16(std::string* out, std::uint32_t value) {
  out->resize(out->size() + 2);
  Store16(out, out->size() - 2, value);
}
void Append32(std::string* out, std::uint32_t value) {
  out->resize(out->size() + 4);
  Store32(out, out->size() - 4, value);
}
void AppendKey(std::string* out, const char* key) {
  for (const char* c = key; *c != '\0'; ++c) Append16(out, static_cast<unsigned char>(*c));
  Append16(out, 0);
}
void PadTo4(std::string* out) { out->resize(AlignUp(static_cast<std::uint32_t>(out->size()), 4)); }

// One node of a version block: header, key, value, children; its length is patched in.
std::string VersionNode(const char* key, std::uint32_t type, const std::string& value,
                        std::uint32_t valueLength, const std::string& children) {
  std::string node;
  Append16(&node, 0);
  Append16(&node, valueLength);
  Append16(&node, type);
  AppendKey(&node, key);
  PadTo4(&node);
  node += value;
  PadTo4(&node);
  node += children;
  Store16(&node, 0, static_cast<std::uint32_t>(node.size()));
  return node;
}

// A resource section with exactly one resource: root, name and language directories, one data
// entry and the data, at `rva`.
std::string ResourceSection(std::uint32_t rva, std::uint32_t type, const std::string& data,
                            std::uint32_t* dataOffset) {
  std::string out;
  auto directory = [&](std::uint32_t id, std::uint32_t offsetToData) {
    out.resize(out.size() + 12);  // characteristics, time stamp, version
    Append16(&out, 0);            // entries named by text
    Append16(&out, 1);            // entries named by number
    Append32(&out, id);
    Append32(&out, offsetToData);
  };
  constexpr std::uint32_t kSubdirectory = 0x80000000u;
  directory(type, 0x18 | kSubdirectory);
  directory(1, 0x30 | kSubdirectory);
  directory(kLanguageEnglishUs, 0x48);
  *dataOffset = 0x58;
  Append32(&out, rva + *dataOffset);
  Append32(&out, static_cast<std::uint32_t>(data.size()));
  Append32(&out, 0);  // code page
  Append32(&out, 0);
  out.resize(*dataOffset);
  out += data;
  return out;
}

struct Section {
  const char* name;
  std::string data;
};

}  // namespace

std::string MakeVersionInfoBlock(const PeOptions& options) {
  std::string fixed;
  Append32(&fixed, options.signature);
  Append32(&fixed, 0x00010000);  // structure version 1.0
  for (int i = 0; i < 2; ++i) {  // file version, then product version
    Append32(&fixed, std::uint32_t{options.major} << 16 | options.minor);
    Append32(&fixed, std::uint32_t{options.build} << 16 | options.revision);
  }
  Append32(&fixed, 0x3F);                 // flags mask
  Append32(&fixed, 0);                    // flags
  Append32(&fixed, 0x40004);              // VOS_NT_WINDOWS32
  Append32(&fixed, options.dll ? 2 : 1);  // VFT_DLL or VFT_APP
  Append32(&fixed, 0);
  Append32(&fixed, 0);  // date
  Append32(&fixed, 0);

  std::string translation;
  Append16(&translation, kLanguageEnglishUs);
  Append16(&translation, 1200);  // Unicode
  const std::string var = VersionNode("Translation", 0, translation, 4, "");
  const std::string varFileInfo = VersionNode("VarFileInfo", 1, "", 0, var);
  return VersionNode("VS_VERSION_INFO", 0, fixed, static_cast<std::uint32_t>(fixed.size()),
                     varFileInfo);
}

std::string MakePeDll(const PeOptions& options, PeLayout* layout) {
  PeLayout where;
  const std::uint32_t optionalSize = (options.pe32Plus ? 112 : 96) + 8 * kDataDirectoryCount;
  where.peHeader = kPeHeaderOffset;
  where.optionalHeader = kPeHeaderOffset + 4 + 20;
  where.sectionTable = where.optionalHeader + optionalSize;

  std::vector<Section> sections;
  sections.push_back({".rdata", "A test image without code.\n"});
  std::uint32_t resourceDataOffset = 0;
  const std::uint32_t resourceRva = kSectionAlignment * 2;  // after the headers and .rdata
  if (options.resources != PeResources::kNone) {
    const bool version = options.resources == PeResources::kVersion;
    const std::string data = version ? MakeVersionInfoBlock(options) : std::string("payload");
    sections.push_back({".rsrc", ResourceSection(resourceRva, version ? kRtVersion : kRtRcData,
                                                 data, &resourceDataOffset)});
    if (version) where.versionBlockSize = static_cast<std::uint32_t>(data.size());
  }

  const auto sectionCount = static_cast<std::uint32_t>(sections.size());
  const std::uint32_t headersSize = AlignUp(where.sectionTable + 40 * sectionCount, kFileAlignment);
  std::uint32_t fileSize = headersSize;
  std::uint32_t imageSize = kSectionAlignment;
  for (const Section& section : sections) {
    fileSize += AlignUp(static_cast<std::uint32_t>(section.data.size()), kFileAlignment);
    imageSize += AlignUp(static_cast<std::uint32_t>(section.data.size()), kSectionAlignment);
  }
  std::string out(fileSize, '\0');

  out[0] = 'M';
  out[1] = 'Z';
  Store32(&out, 0x3C, kPeHeaderOffset);
  out.replace(kPeHeaderOffset, 4, "PE\0\0", 4);

  const std::uint32_t coff = kPeHeaderOffset + 4;
  Store16(&out, coff, options.pe32Plus ? 0x8664 : 0x014C);
  Store16(&out, coff + 2, sectionCount);
  Store16(&out, coff + 16, optionalSize);
  std::uint32_t characteristics = 0x0002;                 // executable image
  characteristics |= options.pe32Plus ? 0x0020 : 0x0100;  // large-address aware / 32-bit
  if (options.dll) characteristics |= 0x2000;
  Store16(&out, coff + 18, characteristics);

  const std::uint32_t opt = where.optionalHeader;
  const std::uint64_t imageBase = options.dll ? 0x10000000 : 0x400000;
  const std::uint16_t systemMajor = options.pe32Plus ? 5 : 4;
  const std::uint16_t systemMinor = options.pe32Plus ? 2 : 0;
  Store16(&out, opt, options.pe32Plus ? 0x20B : 0x10B);
  out[opt + 2] = 2;                                // linker version
  Store32(&out, opt + 8, fileSize - headersSize);  // initialised data
  Store32(&out, opt + 20, kSectionAlignment);      // base of code (there is none)
  if (options.pe32Plus) {
    Store64(&out, opt + 24, imageBase);
  } else {
    Store32(&out, opt + 24, kSectionAlignment);  // base of data
    Store32(&out, opt + 28, static_cast<std::uint32_t>(imageBase));
  }
  Store32(&out, opt + 32, kSectionAlignment);
  Store32(&out, opt + 36, kFileAlignment);
  Store16(&out, opt + 40, systemMajor);  // operating system version
  Store16(&out, opt + 42, systemMinor);
  Store16(&out, opt + 48, systemMajor);  // subsystem version
  Store16(&out, opt + 50, systemMinor);
  Store32(&out, opt + 56, imageSize);
  Store32(&out, opt + 60, headersSize);
  Store16(&out, opt + 68, 2);            // Windows GUI
  const std::uint32_t sizes = opt + 72;  // stack reserve, commit, heap reserve, commit
  if (options.pe32Plus) {
    Store64(&out, sizes, 0x100000);
    Store64(&out, sizes + 8, 0x1000);
    Store64(&out, sizes + 16, 0x100000);
    Store64(&out, sizes + 24, 0x1000);
  } else {
    Store32(&out, sizes, 0x100000);
    Store32(&out, sizes + 4, 0x1000);
    Store32(&out, sizes + 8, 0x100000);
    Store32(&out, sizes + 12, 0x1000);
  }
  const std::uint32_t directories = opt + (options.pe32Plus ? 112 : 96);
  Store32(&out, directories - 4, kDataDirectoryCount);

  std::uint32_t rawOffset = headersSize;
  std::uint32_t rva = kSectionAlignment;
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    const Section& section = sections[i];
    const auto size = static_cast<std::uint32_t>(section.data.size());
    const std::uint32_t header = where.sectionTable + 40 * i;
    out.replace(header, std::char_traits<char>::length(section.name), section.name);
    Store32(&out, header + 8, size);
    Store32(&out, header + 12, rva);
    Store32(&out, header + 16, AlignUp(size, kFileAlignment));
    Store32(&out, header + 20, rawOffset);
    Store32(&out, header + 36, 0x40000040);  // initialised data, readable
    out.replace(rawOffset, size, section.data);
    if (std::string(section.name) == ".rsrc") {
      Store32(&out, directories + 8 * kResourceDirectoryIndex, rva);
      Store32(&out, directories + 8 * kResourceDirectoryIndex + 4, size);
      where.resourceSection = rawOffset;
      where.resourceRva = rva;
      if (where.versionBlockSize != 0) where.versionBlock = rawOffset + resourceDataOffset;
    }
    rawOffset += AlignUp(size, kFileAlignment);
    rva += AlignUp(size, kSectionAlignment);
  }
  if (layout != nullptr) *layout = where;
  return out;
}

}  // namespace setup::testing
