// Reading file versions through the platform's version resources.
#include "install/file_version.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

namespace setup {

namespace {

constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BDu;

// The record must hold at least the fields read here: the signature and dwFileVersionMS.
constexpr std::size_t kFieldsRead =
    offsetof(FixedFileInfo, dwFileVersionMS) + sizeof(std::uint32_t);

}  // namespace

int GetFileVersion(FileSystem& files, VersionInfo& versions, const std::string& path,
                   std::uint16_t* major, std::uint16_t* minor) {
  if (!files.FindFirstFile(path)) return 0;

  const std::uint32_t size = versions.GetFileVersionInfoSize(path);
  if (size == 0) return 0;
  std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[size]);
  if (!block) return 0;
  if (!versions.GetFileVersionInfo(path, size, block.get())) return 0;

  const void* record = nullptr;
  std::uint32_t length = 0;
  if (!versions.QueryRootValue(block.get(), &record, &length)) return 0;
  if (record == nullptr || length == 0) return 0;

  // A damaged resource may claim a record shorter than the fields read, or one that lies outside
  // the block; neither is read.
  const auto blockStart = reinterpret_cast<std::uintptr_t>(block.get());
  const auto recordStart = reinterpret_cast<std::uintptr_t>(record);
  if (length < kFieldsRead || size < kFieldsRead || recordStart < blockStart ||
      recordStart - blockStart > size - kFieldsRead) {
    return 0;
  }
  FixedFileInfo info{};
  std::memcpy(&info, record, kFieldsRead);
  if (info.dwSignature != kFixedFileInfoSignature) return 0;

  *major = static_cast<std::uint16_t>(info.dwFileVersionMS >> 16);
  *minor = static_cast<std::uint16_t>(info.dwFileVersionMS & 0xFFFFu);
  return 1;
}

std::optional<FileVersion> ReadFileVersion(FileSystem& files, VersionInfo& versions,
                                           const std::string& path) {
  FileVersion version;
  if (GetFileVersion(files, versions, path, &version.major, &version.minor) == 0) return {};
  return version;
}

bool ShouldInstallNewFile(const std::optional<FileVersion>& installed,
                          const std::optional<FileVersion>& incoming) {
  if (!installed || !incoming) return true;
  if (incoming->major != installed->major) return incoming->major > installed->major;
  return incoming->minor > installed->minor;
}

}  // namespace setup
