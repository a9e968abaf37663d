// A file system wrapper that fails the N-th call of a chosen operation, for fault-injection
// tests that loop N = 1, 2, 3, ... over a whole run until a run injects nothing.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/forwarding_file_system.h"

namespace setup::testing {

enum class FileOperation {
  kOpen,
  kRead,
  kWrite,
  kSeek,
  kClose,
  kCreateDirectory,
  kFindFirstFile,
  kMoveFile,
  kDeleteFile,
  kSetFileAttributes,
  kMoveFileReplacing,
};
inline constexpr std::size_t kFileOperationCount = 11;

// "Open", "Write", ...: for failure messages.
const char* FileOperationName(FileOperation operation);

// errno values the faults carry (the same on every C runtime the tests run on).
inline constexpr int kCrtAccessDenied = 13;  // EACCES
inline constexpr int kCrtNoSpace = 28;       // ENOSPC
inline constexpr int kCrtIoError = 5;        // EIO

struct FaultPlan {
  FileOperation operation = FileOperation::kWrite;
  // The 1-based number of the call to fail, counted over calls that match `pathContains`;
  // 0 injects nothing.
  int call = 0;
  // Every later matching call fails too, as on a disk that stays full.
  bool andLater = false;
  // What Open answers in *crtError. Read, Write and Close failures show only as File::Error().
  int crtError = kCrtNoSpace;
  // What CreateDirectory, MoveFile, MoveFileReplacing, DeleteFile and SetFileAttributes answer.
  Win32Error win32Error = kErrorDiskFull;
  // Only calls on paths that contain this text (ASCII case ignored) count; empty: every call.
  // A file's Read, Write, Seek and Close carry the path it was opened with; MoveFile both paths.
  std::string pathContains;
};

// Passes every call to `inner` except the planned failures:
// - Open answers null and sets *crtError; the file is not touched (not even truncated).
// - Write stores the first half of the bytes (as a disk that fills up in the middle of a write)
//   and answers that count; the file is in error from then on.
// - Read answers 0 and puts the file in error; Seek answers false.
// - Close closes the inner file (whatever it took stays on disk) and answers false.
// - FindFirstFile answers nothing; the other directory operations answer `win32Error`.
// The wrapper must outlive the files it opens.
class FaultyFileSystem final : public ForwardingFileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& inner) : ForwardingFileSystem(inner) {}

  // Replaces the plan and starts counting afresh.
  void Plan(const FaultPlan& plan);

  // Calls of `operation` that matched the plan's path filter since Plan().
  int Calls(FileOperation operation) const { return calls_[Index(operation)]; }
  // Faults injected since Plan(), and on which paths.
  int Injected() const { return static_cast<int>(injectedPaths_.size()); }
  const std::vector<std::string>& InjectedPaths() const { return injectedPaths_; }

  std::unique_ptr<File> Open(const std::string& path, OpenMode mode, int* crtError) override;
  Win32Error CreateDirectory(const std::string& path) override;
  std::optional<FindData> FindFirstFile(const std::string& pattern) override;
  Win32Error MoveFile(const std::string& from, const std::string& to) override;
  Win32Error MoveFileReplacing(const std::string& from, const std::string& to) override;
  Win32Error DeleteFile(const std::string& path) override;
  Win32Error SetFileAttributes(const std::string& path, std::uint32_t attributes) override;

 private:
  friend class FaultyFile;
  static std::size_t Index(FileOperation operation) { return static_cast<std::size_t>(operation); }
  // Counts the call when it matches the filter; answers whether it is to fail.
  bool ShouldFail(FileOperation operation, const std::string& path);

  FaultPlan plan_;
  std::array<int, kFileOperationCount> calls_{};
  std::vector<std::string> injectedPaths_;
};

}  // namespace setup::testing
