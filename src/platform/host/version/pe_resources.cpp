// Finds the version resource of a PE image and the fixed record inside it, safely for any bytes.
#include "platform/host/version/pe_resources.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/pe_layout.h"

namespace setup {

namespace {

using namespace setup::pe;

constexpr std::uint32_t kVsVersionInfo = 1;
constexpr std::uint32_t kVersionInfoHeaderSize = 6;  // wLength, wValueLength, wType

std::uint16_t Load16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

std::uint32_t Load32(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The sections of one image, mapping relative virtual addresses to file offsets.
class PeImage {
 public:
  explicit PeImage(ByteSource& source) : source_(source) {}

  // Reads the headers; false when they are not those of a 32- or 64-bit PE image.
  bool Open(std::uint32_t* resourceRva);

  // Reads `size` bytes at `rva`; they must lie inside the file data of one section.
  bool ReadRva(std::uint64_t rva, void* buffer, std::size_t size);
  // Whether `size` bytes at `rva` lie inside the file data of one section.
  bool Maps(std::uint64_t rva, std::uint64_t size);

 private:
  struct Section {
    std::uint32_t virtualAddress;
    std::uint64_t extent;  // bytes of the section present in the file
    std::uint32_t rawOffset;
  };
  bool Contains(const Section& section, std::uint64_t rva, std::uint64_t size) const {
    return rva >= section.virtualAddress && rva - section.virtualAddress + size <= section.extent;
  }

  ByteSource& source_;
  std::vector<Section> sections_;
  // Consecutive reads mostly hit the same section; trying it first keeps a directory with
  // many entries in an image with many sections from costing entries times sections.
  std::size_t lastHit_ = 0;
};

bool PeImage::Open(std::uint32_t* resourceRva) {
  std::uint8_t dos[64];
  if (!source_.ReadAt(0, dos, sizeof(dos)) || Load16(dos) != kDosMagic) return false;
  const std::uint64_t peOffset = Load32(dos + 0x3C);
  std::uint8_t headers[4 + kFileHeaderSize + 2];  // signature, file header, optional magic
  if (!source_.ReadAt(peOffset, headers, sizeof(headers)) || Load32(headers) != kPeSignature) {
    return false;
  }
  const std::uint32_t optionalSize = Load16(headers + 4 + 16);
  const std::uint64_t optionalOffset = peOffset + 4 + kFileHeaderSize;
  std::uint32_t directoriesAt = 0;  // offset of the data directories in the optional header
  switch (Load16(headers + 4 + kFileHeaderSize)) {
    case kPe32Magic:
      directoriesAt = 96;
      break;
    case kPe32PlusMagic:
      directoriesAt = 112;
      break;
    default:
      return false;
  }
  const std::uint32_t resourceEntryAt = directoriesAt + 8 * kResourceDirectoryIndex;
  std::uint8_t count[4];
  std::uint8_t entry[8];
  if (optionalSize < resourceEntryAt + 8 ||
      !source_.ReadAt(optionalOffset + directoriesAt - 4, count, sizeof(count)) ||
      Load32(count) <= kResourceDirectoryIndex ||
      !source_.ReadAt(optionalOffset + resourceEntryAt, entry, sizeof(entry))) {
    return false;
  }
  *resourceRva = Load32(entry);
  if (*resourceRva == 0 || Load32(entry + 4) == 0) return false;

  const std::uint32_t sectionCount = Load16(headers + 4 + 2);
  std::vector<std::uint8_t> table(std::size_t{sectionCount} * kSectionHeaderSize);
  if (!source_.ReadAt(optionalOffset + optionalSize, table.data(), table.size())) return false;
  sections_.reserve(sectionCount);
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    const std::uint8_t* header = table.data() + std::size_t{i} * kSectionHeaderSize;
    const std::uint32_t virtualSize = Load32(header + 8);
    const std::uint32_t rawSize = Load32(header + 16);
    // Only bytes present in the file; a virtual size below the raw size ends the section early.
    const std::uint32_t extent = virtualSize != 0 && virtualSize < rawSize ? virtualSize : rawSize;
    sections_.push_back({Load32(header + 12), extent, Load32(header + 20)});
  }
  return true;
}

bool PeImage::Maps(std::uint64_t rva, std::uint64_t size) {
  if (lastHit_ < sections_.size() && Contains(sections_[lastHit_], rva, size)) return true;
  const auto hit = std::find_if(sections_.begin(), sections_.end(),
                                [&](const Section& s) { return Contains(s, rva, size); });
  if (hit == sections_.end()) return false;
  lastHit_ = static_cast<std::size_t>(hit - sections_.begin());
  return true;
}

bool PeImage::ReadRva(std::uint64_t rva, void* buffer, std::size_t size) {
  if (!Maps(rva, size)) return false;
  const Section& section = sections_[lastHit_];
  return source_.ReadAt(section.rawOffset + (rva - section.virtualAddress), buffer, size);
}

// Looks up a resource directory entry (offsets relative to the resource directory's start) and
// answers its OffsetToData field. With no `id`, the directory's first entry.
std::optional<std::uint32_t> FindEntry(PeImage& image, std::uint32_t resourceRva,
                                       std::uint32_t directory, std::optional<std::uint32_t> id) {
  std::uint8_t header[16];
  if (!image.ReadRva(std::uint64_t{resourceRva} + directory, header, sizeof(header))) {
    return std::nullopt;
  }
  const std::uint32_t named = Load16(header + 12);
  const std::uint32_t total = named + Load16(header + 14);
  // Entries named by number follow those named by text; without an id the first entry counts.
  for (std::uint32_t i = id ? named : 0; i < total; ++i) {
    std::uint8_t entry[8];
    if (!image.ReadRva(std::uint64_t{resourceRva} + directory + 16 + 8 * std::uint64_t{i}, entry,
                       sizeof(entry))) {
      return std::nullopt;
    }
    if (!id || Load32(entry) == *id) return Load32(entry + 4);
  }
  return std::nullopt;
}

// The OffsetToData of a subdirectory entry, without its flag bit; nothing for a data entry.
std::optional<std::uint32_t> Subdirectory(std::optional<std::uint32_t> offsetToData) {
  if (!offsetToData || !(*offsetToData & kSubdirectoryBit)) return std::nullopt;
  return *offsetToData & ~kSubdirectoryBit;
}

}  // namespace

bool MemoryByteSource::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
  if (offset > bytes_.size() || bytes_.size() - offset < size) return false;
  if (size != 0) std::memcpy(buffer, bytes_.data() + offset, size);
  return true;
}

std::string ReadVersionResource(ByteSource& source) {
  PeImage image(source);
  std::uint32_t resourceRva = 0;
  if (!image.Open(&resourceRva)) return {};
  // Three levels (type, name, language) are walked exactly once each, so an entry pointing
  // back at a directory above cannot make the walk go round.
  const auto names = Subdirectory(FindEntry(image, resourceRva, 0, kRtVersion));
  if (!names) return {};
  const auto languages = Subdirectory(FindEntry(image, resourceRva, *names, kVsVersionInfo));
  if (!languages) return {};
  const auto dataEntry = FindEntry(image, resourceRva, *languages, std::nullopt);
  if (!dataEntry || (*dataEntry & kSubdirectoryBit)) return {};

  std::uint8_t entry[16];  // data RVA, size, code page, reserved
  if (!image.ReadRva(std::uint64_t{resourceRva} + *dataEntry, entry, sizeof(entry))) return {};
  const std::uint32_t dataRva = Load32(entry);
  const std::uint32_t dataSize = Load32(entry + 4);
  // The whole resource must be there, and of a size a version resource can have.
  if (dataSize > kMaxVersionInfoSize || !image.Maps(dataRva, dataSize)) return {};
  std::uint8_t lengthField[2];
  if (!image.ReadRva(dataRva, lengthField, sizeof(lengthField))) return {};
  const std::uint32_t length = Load16(lengthField);
  if (length < kVersionInfoHeaderSize || length > dataSize) return {};
  static_assert(0xFFFF < kMaxVersionInfoSize, "the length field bounds the block");
  std::string block(length, '\0');
  if (!image.ReadRva(dataRva, block.data(), block.size())) return {};
  return block;
}

bool FindRootValue(const void* block, std::size_t size, std::size_t* offset,
                   std::uint32_t* length) {
  const auto* bytes = static_cast<const std::uint8_t*>(block);
  if (block == nullptr || size < kVersionInfoHeaderSize) return false;
  const std::size_t limit = std::min<std::size_t>(size, Load16(bytes));
  if (limit < kVersionInfoHeaderSize) return false;
  const std::uint32_t valueLength = Load16(bytes + 2);
  const bool textValue = Load16(bytes + 4) == 1;  // counted in characters, not bytes
  std::size_t at = kVersionInfoHeaderSize;        // the key, UTF-16 up to its zero
  while (true) {
    if (limit - at < 2) return false;
    at += 2;
    if (Load16(bytes + at - 2) == 0) break;
  }
  at = (at + 3) & ~std::size_t{3};
  const std::size_t valueBytes = textValue ? 2 * std::size_t{valueLength} : valueLength;
  if (at > limit || limit - at < valueBytes) return false;
  *offset = at;
  *length = valueLength;
  return true;
}

}  // namespace setup
