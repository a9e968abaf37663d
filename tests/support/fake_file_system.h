// An in-memory file system with Windows path rules and fault injection, for core tests.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace setup::testing {

// Paths: '\' and '/' both separate; names compare without regard to ASCII letter case; a drive
// root ("C:") always exists. Files keep the spelling they were created with.
// Differences from a real disk, on purpose: Open() does not require the parent directory to
// exist, and writes reach the stored bytes at once (there is no stream buffer).
class FakeFileSystem : public FileSystem {
 public:
  FakeFileSystem();
  ~FakeFileSystem() override;

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
  std::string GetTempPath() override { return tempPath; }
  std::string GetWindowsDirectory() override { return windowsDirectory; }
  std::string GetSystemDirectory() override { return systemDirectory; }
  std::string FormatMessage(Win32Error code) override;
  // Relative paths count from `currentDirectory`; empty: it has no name.
  std::string GetFullPathName(const std::string& path) override;
  std::string currentDirectory = "C:\\Setup";

  // What the directory queries answer; empty means failure.
  std::string tempPath = "C:\\Windows\\Temp\\";
  std::string windowsDirectory = "C:\\Windows";
  std::string systemDirectory = "C:\\Windows\\System32";

  // Arranging and checking a test.
  // Both make the folders above the path, as a test means them to exist.
  void PutFile(const std::string& path, const std::string& bytes);
  void PutDirectory(const std::string& path);
  std::optional<std::string> FileBytes(const std::string& path) const;
  bool FileExists(const std::string& path) const;
  bool DirectoryExists(const std::string& path) const;
  std::uint32_t Attributes(const std::string& path) const;  // 0 when absent

  // Fault injection.
  // Open of this path (any mode) fails with this errno (e.g. 13, EACCES); a move replacing it
  // fails with kErrorAccessDenied.
  std::map<std::string, int> openErrors;
  // The failWriteCall-th Write call counted over all files (1-based; 0 = never) writes nothing
  // and marks its file in error; with failLaterWrites every later call fails too.
  int failWriteCall = 0;
  bool failLaterWrites = false;
  // Reads of `readErrorPath` fail once they reach byte offset readErrorOffset.
  std::string readErrorPath;
  std::int64_t readErrorOffset = 0;
  // Close() of a file written to answers false.
  bool failClose = false;

  int writeCalls = 0;  // Write calls so far, failed ones included
  int openFiles = 0;   // File objects not yet destroyed

 private:
  friend class FakeFile;
  struct Entry {
    std::string path;  // as created
    std::shared_ptr<std::string> bytes;
    std::uint32_t attributes = FILE_ATTRIBUTE_ARCHIVE;
  };
  struct Directory {
    std::string path;
    std::uint32_t attributes = FILE_ATTRIBUTE_DIRECTORY;
  };
  static std::string Key(const std::string& path);
  bool ParentExists(const std::string& key) const;

  std::map<std::string, Entry> files_;
  std::map<std::string, Directory> directories_;
};

}  // namespace setup::testing
