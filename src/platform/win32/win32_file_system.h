// Files and directories on Windows: the C runtime's streams and the kernel32 file calls.
#pragma once

#include "platform/file_system.h"

namespace setup {

class Win32FileSystem final : public FileSystem {
 public:
  std::unique_ptr<File> Open(const std::string& path, OpenMode mode, int* crtError) override;
  std::string StrError(int crtError) override;
  Win32Error CreateDirectory(const std::string& path) override;
  std::optional<FindData> FindFirstFile(const std::string& pattern) override;
  std::optional<std::uint32_t> FindAttributes(const std::string& path) override;
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
  std::string GetFullPathName(const std::string& path) override;
};

}  // namespace setup
