// Version resources (version.dll): the fixed version record of a PE file.
#pragma once

#include <cstdint>
#include <string>

namespace setup {

// VS_FIXEDFILEINFO as stored in a version resource.
struct FixedFileInfo {
  std::uint32_t dwSignature;  // 0xFEEF04BD
  std::uint32_t dwStrucVersion;
  std::uint32_t dwFileVersionMS;
  std::uint32_t dwFileVersionLS;
  std::uint32_t dwProductVersionMS;
  std::uint32_t dwProductVersionLS;
  std::uint32_t dwFileFlagsMask;
  std::uint32_t dwFileFlags;
  std::uint32_t dwFileOS;
  std::uint32_t dwFileType;
  std::uint32_t dwFileSubtype;
  std::uint32_t dwFileDateMS;
  std::uint32_t dwFileDateLS;
};
static_assert(sizeof(FixedFileInfo) == 52);

class VersionInfo {
 public:
  virtual ~VersionInfo() = default;
  // GetFileVersionInfoSizeA: the size of the file's version information; 0 when it has none.
  virtual std::uint32_t GetFileVersionInfoSize(const std::string& path) = 0;
  // GetFileVersionInfoA: fills `block` (of `size` bytes); false on failure.
  virtual bool GetFileVersionInfo(const std::string& path, std::uint32_t size, void* block) = 0;
  // VerQueryValueA(block, "\\"): the root block's value, which is the fixed record. False when
  // the block holds none; `length` may then be 0 and `record` null.
  virtual bool QueryRootValue(const void* block, const void** record, std::uint32_t* length) = 0;
};

}  // namespace setup
