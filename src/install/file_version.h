// File versions of shared libraries: reading (major, minor) and deciding which copy to keep.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/version_info.h"

namespace setup {

// The high and low words of the fixed version record's dwFileVersionMS.
struct FileVersion {
  std::uint16_t major = 0;
  std::uint16_t minor = 0;
};

// 1 with `major` and `minor` set when the file exists and has a readable fixed version record;
// 0 otherwise, outputs untouched. Shows and logs nothing.
[[nodiscard]] int GetFileVersion(FileSystem& files, VersionInfo& versions, const std::string& path,
                                 std::uint16_t* major, std::uint16_t* minor);

// The same, as a value.
[[nodiscard]] std::optional<FileVersion> ReadFileVersion(FileSystem& files, VersionInfo& versions,
                                                         const std::string& path);

// Whether a new copy replaces the installed one: yes unless both versions are known and the new
// one is not strictly greater (majors first, then minors, both unsigned).
[[nodiscard]] bool ShouldInstallNewFile(const std::optional<FileVersion>& installed,
                                        const std::optional<FileVersion>& incoming);

}  // namespace setup
