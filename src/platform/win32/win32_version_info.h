// Version resources on Windows through version.dll.
#pragma once

#include "platform/version_info.h"

namespace setup {

class Win32VersionInfo final : public VersionInfo {
 public:
  std::uint32_t GetFileVersionInfoSize(const std::string& path) override;
  bool GetFileVersionInfo(const std::string& path, std::uint32_t size, void* block) override;
  bool QueryRootValue(const void* block, const void** record, std::uint32_t* length) override;
};

}  // namespace setup
