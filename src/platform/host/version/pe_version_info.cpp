// The host's version resources: read from the PE files themselves, as version.dll would.
#include "platform/host/version/pe_version_info.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/host/version/pe_resources.h"

namespace setup {

namespace {

class FileByteSource final : public ByteSource {
 public:
  explicit FileByteSource(File& file) : file_(file) {}
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return false;
    if (!file_.Seek(static_cast<std::int64_t>(offset))) return false;
    return file_.Read(buffer, size) == size;
  }

 private:
  File& file_;
};

}  // namespace

std::string PeVersionInfo::ReadBlock(const std::string& path) {
  std::unique_ptr<File> file = files_.Open(path, OpenMode::kReadBinary, nullptr);
  if (!file) return {};
  FileByteSource source(*file);
  return ReadVersionResource(source);
}

std::uint32_t PeVersionInfo::GetFileVersionInfoSize(const std::string& path) {
  return static_cast<std::uint32_t>(ReadBlock(path).size());
}

bool PeVersionInfo::GetFileVersionInfo(const std::string& path, std::uint32_t size, void* block) {
  if (block == nullptr) return false;
  const std::string data = ReadBlock(path);
  if (data.empty() || size < 2) return false;
  const std::size_t copied = std::min<std::size_t>(size, data.size());
  std::memcpy(block, data.data(), copied);
  if (copied < data.size()) {  // the length field is the first word, little-endian
    auto* bytes = static_cast<unsigned char*>(block);
    bytes[0] = static_cast<unsigned char>(copied & 0xFF);
    bytes[1] = static_cast<unsigned char>(copied >> 8);
  }
  return true;
}

bool PeVersionInfo::QueryRootValue(const void* block, const void** record, std::uint32_t* length) {
  if (block == nullptr) return false;
  const auto* bytes = static_cast<const unsigned char*>(block);
  const std::size_t blockLength = bytes[0] | bytes[1] << 8;
  std::size_t offset = 0;
  std::uint32_t valueLength = 0;
  if (!FindRootValue(block, blockLength, &offset, &valueLength)) return false;
  *record = bytes + offset;
  *length = valueLength;
  return true;
}

}  // namespace setup
