// The resources of a PE image, read from its resource section and written back into it.
#include "pack/pe_image_resources.h"

#include <algorithm>
#include <map>
#include <optional>

#include "platform/pe_layout.h"

namespace setup::pack {

namespace {

using namespace setup::pe;

// More than any program carries; it bounds the work a damaged tree can cause.
constexpr std::size_t kMostResources = 1 << 16;

std::uint32_t Load16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8;
}

std::uint32_t Load32(const std::string& bytes, std::size_t at) {
  return Load16(bytes, at) | Load16(bytes, at + 2) << 16;
}

void Store16(std::string* bytes, std::size_t at, std::uint32_t value) {
  (*bytes)[at] = static_cast<char>(value & 0xFF);
  (*bytes)[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}

void Store32(std::string* bytes, std::size_t at, std::uint32_t value) {
  Store16(bytes, at, value & 0xFFFF);
  Store16(bytes, at + 2, value >> 16);
}

bool Within(std::uint64_t length, std::uint64_t offset, std::uint64_t size) {
  return offset <= length && length - offset >= size;
}

std::uint64_t AlignUp(std::uint64_t value, std::uint32_t alignment) {
  if (alignment == 0) return value;
  return (value + alignment - 1) / alignment * alignment;
}

bool PowerOfTwoBetween(std::uint32_t value, std::uint32_t least, std::uint32_t most) {
  return value >= least && value <= most && (value & (value - 1)) == 0;
}

bool Fail(std::string* why, const std::string& reason) {
  *why = reason;
  return false;
}

struct Section {
  std::size_t header = 0;  // file offset of its header
  std::uint32_t virtualSize = 0;
  std::uint32_t virtualAddress = 0;
  std::uint32_t rawSize = 0;
  std::uint32_t rawOffset = 0;
  // Bytes of the section present in the file; a smaller virtual size ends it early.
  std::uint32_t Extent() const {
    return virtualSize != 0 && virtualSize < rawSize ? virtualSize : rawSize;
  }
};

struct Headers {
  std::size_t optional = 0;     // file offset of the optional header
  std::size_t directories = 0;  // file offset of the data directories
  std::uint32_t directoryCount = 0;
  std::uint32_t sectionAlignment = 0;
  std::uint32_t fileAlignment = 0;
  std::size_t sectionTableEnd = 0;
  std::vector<Section> sections;

  std::size_t SizeOfImageField() const { return optional + 56; }
  std::size_t CheckSumField() const { return optional + 64; }
  std::size_t Directory(std::uint32_t index) const { return directories + 8 * index; }
};

bool ReadHeaders(const std::string& image, Headers* headers, std::string* why) {
  if (!Within(image.size(), 0, 64) || Load16(image, 0) != kDosMagic) {
    return Fail(why, "not a Windows program");
  }
  const std::uint64_t pe = Load32(image, 0x3C);
  if (!Within(image.size(), pe, 24) || Load32(image, pe) != kPeSignature) {
    return Fail(why, "not a PE image");
  }
  const std::uint32_t sectionCount = Load16(image, pe + 6);
  const std::uint32_t optionalSize = Load16(image, pe + 20);
  headers->optional = pe + 24;
  if (!Within(image.size(), headers->optional, optionalSize) || optionalSize < 2) {
    return Fail(why, "the PE headers are cut short");
  }
  std::uint32_t directoriesAt = 0;
  switch (Load16(image, headers->optional)) {
    case kPe32Magic:
      directoriesAt = 96;
      break;
    case kPe32PlusMagic:
      directoriesAt = 112;
      break;
    default:
      return Fail(why, "an unknown kind of PE image");
  }
  if (optionalSize < directoriesAt) return Fail(why, "the PE headers are cut short");
  headers->directories = headers->optional + directoriesAt;
  headers->directoryCount = std::min(Load32(image, headers->directories - 4),
                                     (optionalSize - directoriesAt) / std::uint32_t{8});
  headers->sectionAlignment = Load32(image, headers->optional + 32);
  headers->fileAlignment = Load32(image, headers->optional + 36);
  const std::size_t table = headers->optional + optionalSize;
  if (!Within(image.size(), table, std::uint64_t{sectionCount} * kSectionHeaderSize)) {
    return Fail(why, "the section table is cut short");
  }
  headers->sectionTableEnd = table + std::size_t{sectionCount} * kSectionHeaderSize;
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    const std::size_t at = table + i * kSectionHeaderSize;
    headers->sections.push_back({at, Load32(image, at + 8), Load32(image, at + 12),
                                 Load32(image, at + 16), Load32(image, at + 20)});
  }
  return true;
}

// The file offset of `size` bytes at `rva`, when they lie in one section's file data.
std::optional<std::size_t> FileOffset(const std::string& image, const Headers& headers,
                                      std::uint64_t rva, std::uint64_t size) {
  for (const Section& section : headers.sections) {
    if (rva < section.virtualAddress ||
        !Within(section.Extent(), rva - section.virtualAddress, size)) {
      continue;
    }
    const std::uint64_t offset = section.rawOffset + (rva - section.virtualAddress);
    if (Within(image.size(), offset, size)) return static_cast<std::size_t>(offset);
  }
  return std::nullopt;
}

// Whether the section's file data lies after the headers and apart from every other section's,
// so that rewriting it changes nothing else.
bool OwnsItsBytes(const Headers& headers, const Section& section) {
  if (section.rawOffset < headers.sectionTableEnd) return false;
  const std::uint64_t end = std::uint64_t{section.rawOffset} + section.rawSize;
  for (const Section& other : headers.sections) {
    if (other.header == section.header || other.rawSize == 0) continue;
    const std::uint64_t otherEnd = std::uint64_t{other.rawOffset} + other.rawSize;
    if (other.rawOffset < end && section.rawOffset < otherEnd) return false;
  }
  return true;
}

// The section the resource directory starts, which it must have to itself.
const Section* ResourceSection(const std::string& image, const Headers& headers, std::string* why) {
  if (headers.directoryCount <= kResourceDirectoryIndex) {
    Fail(why, "the image has no resources");
    return nullptr;
  }
  const std::uint32_t rva = Load32(image, headers.Directory(kResourceDirectoryIndex));
  for (const Section& section : headers.sections) {
    if (rva != 0 && section.virtualAddress == rva) return &section;
  }
  Fail(why, "the image's resources do not start a section of their own");
  return nullptr;
}

// Reads one resource directory of the tree: its entries' keys and their OffsetToData fields.
class TreeReader {
 public:
  TreeReader(const std::string& image, const Headers& headers, const Section& section)
      : image_(image), headers_(headers), section_(section) {}

  bool Read(std::vector<Resource>* resources, std::string* why);

 private:
  struct Entry {
    ResourceKey key;
    std::uint32_t offsetToData = 0;
  };
  bool InSection(std::uint64_t offset, std::uint64_t size) const {
    return Within(section_.Extent(), offset, size) &&
           Within(image_.size(), section_.rawOffset + offset, size);
  }
  std::size_t At(std::uint64_t offset) const {
    return static_cast<std::size_t>(section_.rawOffset + offset);
  }
  bool ReadDirectory(std::uint32_t offset, std::vector<Entry>* entries);
  bool ReadName(std::uint32_t offset, std::u16string* name);
  bool ReadData(std::uint32_t offset, Resource* resource);

  const std::string& image_;
  const Headers& headers_;
  const Section& section_;
  std::uint64_t dataRead_ = 0;
};

bool TreeReader::ReadName(std::uint32_t offset, std::u16string* name) {
  if (!InSection(offset, 2)) return false;
  const std::uint32_t length = Load16(image_, At(offset));
  if (length == 0 || !InSection(std::uint64_t{offset} + 2, 2 * std::uint64_t{length})) return false;
  for (std::uint32_t i = 0; i < length; ++i) {
    name->push_back(static_cast<char16_t>(Load16(image_, At(offset + 2 + 2 * i))));
  }
  return true;
}

bool TreeReader::ReadDirectory(std::uint32_t offset, std::vector<Entry>* entries) {
  if (!InSection(offset, kResourceDirectoryHeaderSize)) return false;
  const std::size_t count = Load16(image_, At(offset) + 12) + Load16(image_, At(offset) + 14);
  const std::uint64_t first = std::uint64_t{offset} + kResourceDirectoryHeaderSize;
  if (!InSection(first, count * kResourceDirectoryEntrySize)) return false;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = At(first + i * kResourceDirectoryEntrySize);
    Entry entry;
    const std::uint32_t nameField = Load32(image_, at);
    entry.offsetToData = Load32(image_, at + 4);
    if ((nameField & kSubdirectoryBit) == 0) {
      entry.key.id = nameField;
    } else if (!ReadName(nameField & ~kSubdirectoryBit, &entry.key.name)) {
      return false;
    }
    entries->push_back(std::move(entry));
  }
  return true;
}

bool TreeReader::ReadData(std::uint32_t offset, Resource* resource) {
  if (!InSection(offset, kResourceDataEntrySize)) return false;
  const std::uint32_t rva = Load32(image_, At(offset));
  const std::uint32_t size = Load32(image_, At(offset) + 4);
  // Resources do not share bytes: more data than the section holds is a damaged tree pointing
  // many entries at the same bytes.
  dataRead_ += size;
  if (dataRead_ > section_.Extent()) return false;
  resource->codePage = Load32(image_, At(offset) + 8);
  // Data in the resource section is read from it, whatever other sections claim the addresses.
  if (rva >= section_.virtualAddress && InSection(rva - section_.virtualAddress, size)) {
    resource->data = image_.substr(At(rva - section_.virtualAddress), size);
    return true;
  }
  const std::optional<std::size_t> data = FileOffset(image_, headers_, rva, size);
  if (!data) return false;
  resource->data = image_.substr(*data, size);
  return true;
}

bool TreeReader::Read(std::vector<Resource>* resources, std::string* why) {
  const std::string damaged = "the image's resource tree is damaged";
  // Exactly three levels are read, each entry once: a tree that points back up cannot loop.
  std::vector<Entry> types;
  if (!ReadDirectory(0, &types)) return Fail(why, damaged);
  for (const Entry& type : types) {
    std::vector<Entry> names;
    if ((type.offsetToData & kSubdirectoryBit) == 0 ||
        !ReadDirectory(type.offsetToData & ~kSubdirectoryBit, &names)) {
      return Fail(why, damaged);
    }
    for (const Entry& name : names) {
      std::vector<Entry> languages;
      if ((name.offsetToData & kSubdirectoryBit) == 0 ||
          !ReadDirectory(name.offsetToData & ~kSubdirectoryBit, &languages)) {
        return Fail(why, damaged);
      }
      for (const Entry& language : languages) {
        if (resources->size() >= kMostResources) return Fail(why, damaged);
        Resource resource{type.key, name.key, language.key.id, 0, {}};
        if (!language.key.name.empty() || (language.offsetToData & kSubdirectoryBit) != 0 ||
            !ReadData(language.offsetToData, &resource)) {
          return Fail(why, damaged);
        }
        resources->push_back(std::move(resource));
      }
    }
  }
  return true;
}

// Named entries first, in order of their names, then numbered ones in ascending order.
bool KeyBefore(const ResourceKey& a, const ResourceKey& b) {
  if (a.name.empty() != b.name.empty()) return !a.name.empty();
  return a.name.empty() ? a.id < b.id : a.name < b.name;
}

struct KeyLess {
  bool operator()(const ResourceKey& a, const ResourceKey& b) const { return KeyBefore(a, b); }
};

// The section's new contents: directories breadth first, then the names, the data entries and
// the data, as linkers lay them out. `sectionRva` is where the section is loaded.
std::string LayOutTree(const std::vector<Resource>& resources, std::uint32_t sectionRva) {
  using Languages = std::map<std::uint32_t, const Resource*>;
  using Names = std::map<ResourceKey, Languages, KeyLess>;
  std::map<ResourceKey, Names, KeyLess> tree;
  for (const Resource& resource : resources) {
    tree[resource.type][resource.name][resource.language] = &resource;
  }

  const auto directorySize = [](std::size_t entries) {
    return kResourceDirectoryHeaderSize + entries * kResourceDirectoryEntrySize;
  };
  std::size_t directories = directorySize(tree.size());
  std::size_t names = 0;
  std::size_t leaves = 0;
  for (const auto& [type, byName] : tree) {
    directories += directorySize(byName.size());
    names += type.name.empty() ? 0 : 2 + 2 * type.name.size();
    for (const auto& [name, byLanguage] : byName) {
      directories += directorySize(byLanguage.size());
      names += name.name.empty() ? 0 : 2 + 2 * name.name.size();
      leaves += byLanguage.size();
    }
  }
  const std::size_t dataEntries = AlignUp(directories + names, 4);
  std::size_t data = AlignUp(dataEntries + leaves * kResourceDataEntrySize, 8);
  std::size_t total = data;
  for (const Resource& resource : resources) total = AlignUp(total + resource.data.size(), 8);

  std::string out(total, '\0');
  std::size_t nextDirectory = directorySize(tree.size());
  std::size_t nextName = directories;
  std::size_t nextLeaf = dataEntries;
  const auto writeEntry = [&](std::size_t at, const ResourceKey& key, std::uint32_t target) {
    if (key.name.empty()) {
      Store32(&out, at, key.id);
    } else {
      Store32(&out, at, kSubdirectoryBit | static_cast<std::uint32_t>(nextName));
      Store16(&out, nextName, static_cast<std::uint32_t>(key.name.size()));
      for (std::size_t i = 0; i < key.name.size(); ++i)
        Store16(&out, nextName + 2 + 2 * i, key.name[i]);
      nextName += 2 + 2 * key.name.size();
    }
    Store32(&out, at + 4, target);
  };
  const auto writeHeader = [&](std::size_t at, const auto& entries) {
    const auto named = std::count_if(entries.begin(), entries.end(),
                                     [](const auto& entry) { return !entry.first.name.empty(); });
    Store16(&out, at + 12, static_cast<std::uint32_t>(named));
    Store16(&out, at + 14, static_cast<std::uint32_t>(entries.size() - named));
  };
  const auto writeLanguages = [&](std::size_t at, const Languages& byLanguage) {
    Store16(&out, at + 14, static_cast<std::uint32_t>(byLanguage.size()));
    std::size_t entry = at + kResourceDirectoryHeaderSize;
    for (const auto& [language, resource] : byLanguage) {
      Store32(&out, entry, language);
      Store32(&out, entry + 4, static_cast<std::uint32_t>(nextLeaf));
      Store32(&out, nextLeaf, sectionRva + static_cast<std::uint32_t>(data));
      Store32(&out, nextLeaf + 4, static_cast<std::uint32_t>(resource->data.size()));
      Store32(&out, nextLeaf + 8, resource->codePage);
      std::copy(resource->data.begin(), resource->data.end(),
                out.begin() + static_cast<long>(data));
      data = AlignUp(data + resource->data.size(), 8);
      nextLeaf += kResourceDataEntrySize;
      entry += kResourceDirectoryEntrySize;
    }
  };

  // Breadth first: the root, the directories of every type, then those of every name.
  writeHeader(0, tree);
  std::vector<std::pair<std::size_t, const Names*>> typeDirectories;
  std::size_t entry = kResourceDirectoryHeaderSize;
  for (const auto& [type, byName] : tree) {
    typeDirectories.emplace_back(nextDirectory, &byName);
    writeEntry(entry, type, kSubdirectoryBit | static_cast<std::uint32_t>(nextDirectory));
    nextDirectory += directorySize(byName.size());
    entry += kResourceDirectoryEntrySize;
  }
  std::vector<std::pair<std::size_t, const Languages*>> nameDirectories;
  for (const auto& [at, byName] : typeDirectories) {
    writeHeader(at, *byName);
    std::size_t nameEntry = at + kResourceDirectoryHeaderSize;
    for (const auto& [name, byLanguage] : *byName) {
      nameDirectories.emplace_back(nextDirectory, &byLanguage);
      writeEntry(nameEntry, name, kSubdirectoryBit | static_cast<std::uint32_t>(nextDirectory));
      nextDirectory += directorySize(byLanguage.size());
      nameEntry += kResourceDirectoryEntrySize;
    }
  }
  for (const auto& [at, byLanguage] : nameDirectories) writeLanguages(at, *byLanguage);
  return out;
}

// The image checksum: the 16-bit one's-complement sum of the file without the field, plus its
// length.
std::uint32_t ImageCheckSum(const std::string& image, std::size_t field) {
  std::uint64_t sum = 0;
  for (std::size_t at = 0; at < image.size(); at += 2) {
    if (at == field || at == field + 2) continue;
    const std::uint32_t word =
        at + 1 < image.size() ? Load16(image, at) : static_cast<std::uint8_t>(image[at]);
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint32_t>(sum + image.size());
}

}  // namespace

bool ReadResources(const std::string& image, std::vector<Resource>* resources, std::string* why) {
  Headers headers;
  if (!ReadHeaders(image, &headers, why)) return false;
  const Section* section = ResourceSection(image, headers, why);
  if (section == nullptr) return false;
  resources->clear();
  return TreeReader(image, headers, *section).Read(resources, why);
}

bool WriteResources(std::string* image, const std::vector<Resource>& resources, std::string* why) {
  Headers headers;
  if (!ReadHeaders(*image, &headers, why)) return false;
  if (headers.directoryCount > kCertificateDirectoryIndex &&
      Load32(*image, headers.Directory(kCertificateDirectoryIndex) + 4) != 0) {
    return Fail(why, "the image is signed: change it before signing, not after");
  }
  const Section* found = ResourceSection(*image, headers, why);
  if (found == nullptr) return false;
  const Section section = *found;
  if (!Within(image->size(), section.rawOffset, section.rawSize)) {
    return Fail(why, "the image's resource section is cut short");
  }
  if (!OwnsItsBytes(headers, section)) {
    return Fail(why, "the image's resource section shares its bytes with the headers or a section");
  }
  const std::string tree = LayOutTree(resources, section.virtualAddress);

  // The room up to the next section in memory, and whether the section ends the file.
  std::uint64_t room = UINT32_MAX;
  bool last = true;
  for (const Section& other : headers.sections) {
    if (other.virtualAddress > section.virtualAddress) {
      room = std::min<std::uint64_t>(room, other.virtualAddress - section.virtualAddress);
      last = false;
    }
  }
  const bool endsFile = std::uint64_t{section.rawOffset} + section.rawSize == image->size();
  std::uint64_t rawSize = section.rawSize;
  if (tree.size() > rawSize) {
    if (!last || !endsFile) {
      return Fail(why, "the image's resources cannot grow: their section is not the last one");
    }
    if (!PowerOfTwoBetween(headers.fileAlignment, 0x200, 0x10000) ||
        !PowerOfTwoBetween(headers.sectionAlignment, headers.fileAlignment, 0x10000000)) {
      return Fail(why, "the image's alignments are not those of a program");
    }
    rawSize = AlignUp(tree.size(), headers.fileAlignment);
  }
  if (tree.size() > room || rawSize > UINT32_MAX - section.rawOffset) {
    return Fail(why, "the image's resources do not fit in their section");
  }
  image->resize(std::max<std::size_t>(image->size(), section.rawOffset + rawSize));
  std::fill_n(image->begin() + section.rawOffset, rawSize, '\0');
  std::copy(tree.begin(), tree.end(), image->begin() + section.rawOffset);

  Store32(image, section.header + 8, static_cast<std::uint32_t>(tree.size()));
  Store32(image, section.header + 16, static_cast<std::uint32_t>(rawSize));
  Store32(image, headers.Directory(kResourceDirectoryIndex) + 4,
          static_cast<std::uint32_t>(tree.size()));
  if (last) {
    const std::uint64_t end =
        AlignUp(std::uint64_t{section.virtualAddress} + tree.size(), headers.sectionAlignment);
    Store32(image, headers.SizeOfImageField(),
            std::max<std::uint32_t>(Load32(*image, headers.SizeOfImageField()),
                                    static_cast<std::uint32_t>(end)));
  }
  if (Load32(*image, headers.CheckSumField()) != 0) {
    Store32(image, headers.CheckSumField(), ImageCheckSum(*image, headers.CheckSumField()));
  }
  return true;
}

}  // namespace setup::pack
