// Files and directories on Linux paths as they are, for the host's authoring tools.
#pragma once

#include "platform/file_system.h"

namespace setup {

// Paths are native and taken unchanged ("/" separates, names keep their exact case). The
// answers follow the same Win32 contract as the machine's file system. Wildcards in the last
// component match without regard to case, as on Windows. There is no Windows or system
// directory: those answer empty; the temporary directory is $TMPDIR, else /tmp, with a
// trailing "/".
class NativeFileSystem final : public FileSystem {
 public:
  std::unique_ptr<File> Open(const std::string& path, OpenMode mode, int* crtError) override;
  std::string StrError(int crtError) override;
  Win32Error CreateDirectory(const std::string& path) override;
  std::optional<FindData> FindFirstFile(const std::string& pattern) override;
  Win32Error MoveFile(const std::string& from, const std::string& to) override;
  Win32Error MoveFileReplacing(const std::string& from, const std::string& to) override;
  Win32Error DeleteFile(const std::string& path) override;
  Win32Error RemoveDirectory(const std::string& path) override;
  std::vector<FindData> ListDirectory(const std::string& directory) override;
  Win32Error SetFileAttributes(const std::string& path, std::uint32_t attributes) override;
  std::string GetTempPath() override;
  std::string GetWindowsDirectory() override;
  std::string GetSystemDirectory() override;
  std::string FormatMessage(Win32Error code) override;
  // Native paths are not Windows paths: they come back as given.
  std::string GetFullPathName(const std::string& path) override { return path; }
};

}  // namespace setup
