// Files and directories: the runtime library's byte streams and the kernel32 file operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32_types.h"

namespace setup {

// An open byte stream, like a FILE* opened by fopen. Closed by its destructor; Close() reports
// whether everything written reached the file, which the destructor cannot.
class File {
 public:
  virtual ~File() = default;
  // Reads up to `size` bytes; fewer means end of file or an error (see Error()).
  virtual std::size_t Read(void* buffer, std::size_t size) = 0;
  // Writes `size` bytes; fewer means an error such as a full disk.
  virtual std::size_t Write(const void* buffer, std::size_t size) = 0;
  // Byte offset of the next read or write.
  virtual std::int64_t Tell() = 0;
  // Moves to an absolute byte offset; false when that fails.
  virtual bool Seek(std::int64_t offset) = 0;
  // The file's length in bytes, or -1 when it cannot be told.
  virtual std::int64_t Length() = 0;
  // True once a read or write failed for a reason other than the end of the file.
  virtual bool Error() const = 0;
  // The C runtime's errno value of the first such failure; 0 when it is not known.
  virtual int ErrorNumber() const { return 0; }
  // Writes out what is buffered and closes; false when any write or the close failed.
  // Further calls after Close() do nothing and answer the same.
  virtual bool Close() = 0;
};

enum class OpenMode {
  kReadBinary,   // "rb"
  kReadText,     // "rt": only ever used to test that a file exists
  kWriteBinary,  // "wb": creates or truncates
};

// What FindFirstFileA reports of the first match.
struct FindData {
  std::string name;          // the entry's own name, without directory
  std::uint32_t attributes;  // FILE_ATTRIBUTE_*; FILE_ATTRIBUTE_DIRECTORY for directories
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // fopen. On failure answers null and stores the C runtime's errno value in *crtError (when
  // given), so the caller can show strerror(). Paths follow Windows rules on every host.
  virtual std::unique_ptr<File> Open(const std::string& path, OpenMode mode, int* crtError) = 0;

  // strerror: the runtime library's text for an errno value ("No such file or directory").
  virtual std::string StrError(int crtError) = 0;

  // CreateDirectoryA(path, NULL). kErrorAlreadyExists when any entry of that name exists, a file
  // included; kErrorPathNotFound when the parent is missing.
  virtual Win32Error CreateDirectory(const std::string& path) = 0;

  // FindFirstFileA + FindClose. The last component may hold the wildcards * and ?. Answers the
  // first match, or nothing when there is none (a missing directory included).
  virtual std::optional<FindData> FindFirstFile(const std::string& pattern) = 0;

  // The attributes FindFirstFile reports for `path`, a name without wildcards; nothing where it
  // finds nothing. For callers that need no name: a system may answer it without listing the
  // directory.
  virtual std::optional<std::uint32_t> FindAttributes(const std::string& path) {
    const std::optional<FindData> found = FindFirstFile(path);
    if (!found) return std::nullopt;
    return found->attributes;
  }

  // MoveFileA: renames a file or directory; fails with kErrorAlreadyExists when `to` exists.
  virtual Win32Error MoveFile(const std::string& from, const std::string& to) = 0;

  // MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) for a file: puts `from` in the place of `to`
  // in one step, so `to` names either its old file or the new one, never a mix. A `to` that is
  // a directory or read-only gives kErrorAccessDenied and stays as it was.
  virtual Win32Error MoveFileReplacing(const std::string& from, const std::string& to) = 0;

  // DeleteFileA: removes a file (never a directory: kErrorAccessDenied).
  virtual Win32Error DeleteFile(const std::string& path) = 0;

  // RemoveDirectoryA: removes an empty directory; kErrorDirNotEmpty when it holds anything.
  virtual Win32Error RemoveDirectory(const std::string& path) = 0;

  // FindFirstFileA / FindNextFileA over `directory`\*: its entries without "." and "..";
  // empty when it cannot be listed.
  virtual std::vector<FindData> ListDirectory(const std::string& directory) = 0;

  // SetFileAttributesA: FILE_ATTRIBUTE_ARCHIVE alone clears read-only, hidden and system.
  virtual Win32Error SetFileAttributes(const std::string& path, std::uint32_t attributes) = 0;

  // GetTempPathA: the temporary directory, with a trailing backslash; empty on failure.
  virtual std::string GetTempPath() = 0;

  // GetWindowsDirectoryA / GetSystemDirectoryA: no trailing backslash; empty on failure.
  virtual std::string GetWindowsDirectory() = 0;
  virtual std::string GetSystemDirectory() = 0;

  // FormatMessageA(FROM_SYSTEM) in the neutral language: the system's text for a Win32 error
  // code, ending in a line break as the system's texts do; empty when the system has none.
  virtual std::string FormatMessage(Win32Error code) = 0;

  // GetFullPathNameA: `path` made absolute against the current directory ("X:\..."), `.` and
  // `..` taken out; empty when the path is invalid or the current directory has no such name.
  virtual std::string GetFullPathName(const std::string& path) = 0;
};

}  // namespace setup
