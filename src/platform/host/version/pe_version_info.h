// The host's version resources: read from the PE files themselves, as version.dll would.
#pragma once

#include "platform/file_system.h"
#include "platform/version_info.h"

namespace setup {

class PeVersionInfo final : public VersionInfo {
 public:
  // Files are read through `files`, which must outlive this object.
  explicit PeVersionInfo(FileSystem& files) : files_(files) {}

  // The length of the file's VS_VERSIONINFO block; 0 for a missing or unreadable file, a
  // directory, a file that is not a 32- or 64-bit PE image, or one without a sound version
  // resource.
  std::uint32_t GetFileVersionInfoSize(const std::string& path) override;
  // Copies the block, cut to `size` bytes when that is shorter (its length field then says
  // so, so that queries stay inside the copy).
  bool GetFileVersionInfo(const std::string& path, std::uint32_t size, void* block) override;
  // Trusts the block's own length field, which GetFileVersionInfo keeps within the copy.
  bool QueryRootValue(const void* block, const void** record, std::uint32_t* length) override;

 private:
  std::string ReadBlock(const std::string& path);

  FileSystem& files_;
};

}  // namespace setup
