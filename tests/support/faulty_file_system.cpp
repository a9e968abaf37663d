// A file system wrapper that fails the N-th call of a chosen operation.
#include "support/faulty_file_system.h"

#include <algorithm>

#include "platform/ascii_case.h"

namespace setup::testing {

namespace {

bool ContainsIgnoringCase(const std::string& text, const std::string& part) {
  if (part.empty()) return true;
  const auto equal = [](char a, char b) { return LowerAscii(a) == LowerAscii(b); };
  return std::search(text.begin(), text.end(), part.begin(), part.end(), equal) != text.end();
}

}  // namespace

const char* FileOperationName(FileOperation operation) {
  switch (operation) {
    case FileOperation::kOpen:
      return "Open";
    case FileOperation::kRead:
      return "Read";
    case FileOperation::kWrite:
      return "Write";
    case FileOperation::kSeek:
      return "Seek";
    case FileOperation::kClose:
      return "Close";
    case FileOperation::kCreateDirectory:
      return "CreateDirectory";
    case FileOperation::kFindFirstFile:
      return "FindFirstFile";
    case FileOperation::kMoveFile:
      return "MoveFile";
    case FileOperation::kDeleteFile:
      return "DeleteFile";
    case FileOperation::kSetFileAttributes:
      return "SetFileAttributes";
    case FileOperation::kMoveFileReplacing:
      return "MoveFileReplacing";
  }
  return "?";
}

class FaultyFile final : public File {
 public:
  FaultyFile(FaultyFileSystem& owner, std::unique_ptr<File> inner, std::string path)
      : owner_(owner), inner_(std::move(inner)), path_(std::move(path)) {}

  std::size_t Read(void* buffer, std::size_t size) override {
    if (owner_.ShouldFail(FileOperation::kRead, path_)) {
      failed_ = true;
      return 0;
    }
    return inner_->Read(buffer, size);
  }

  std::size_t Write(const void* buffer, std::size_t size) override {
    if (owner_.ShouldFail(FileOperation::kWrite, path_)) {
      failed_ = true;
      writeFailed_ = true;
      return inner_->Write(buffer, size / 2);
    }
    return inner_->Write(buffer, size);
  }

  std::int64_t Tell() override { return inner_->Tell(); }

  bool Seek(std::int64_t offset) override {
    if (owner_.ShouldFail(FileOperation::kSeek, path_)) return false;
    return inner_->Seek(offset);
  }

  std::int64_t Length() override { return inner_->Length(); }

  bool Error() const override { return failed_ || inner_->Error(); }

  bool Close() override {
    if (closed_) return closeResult_;
    closed_ = true;
    const bool fail = owner_.ShouldFail(FileOperation::kClose, path_);
    closeResult_ = inner_->Close() && !fail && !writeFailed_;
    return closeResult_;
  }

 private:
  FaultyFileSystem& owner_;
  std::unique_ptr<File> inner_;
  std::string path_;
  bool failed_ = false;
  bool writeFailed_ = false;
  bool closed_ = false;
  bool closeResult_ = false;
};

void FaultyFileSystem::Plan(const FaultPlan& plan) {
  plan_ = plan;
  calls_ = {};
  injectedPaths_.clear();
}

bool FaultyFileSystem::ShouldFail(FileOperation operation, const std::string& path) {
  if (!ContainsIgnoringCase(path, plan_.pathContains)) return false;
  const int call = ++calls_[Index(operation)];
  if (plan_.call == 0 || operation != plan_.operation) return false;
  if (call != plan_.call && !(plan_.andLater && call > plan_.call)) return false;
  injectedPaths_.push_back(path);
  return true;
}

std::unique_ptr<File> FaultyFileSystem::Open(const std::string& path, OpenMode mode,
                                             int* crtError) {
  if (ShouldFail(FileOperation::kOpen, path)) {
    if (crtError) *crtError = plan_.crtError;
    return nullptr;
  }
  std::unique_ptr<File> file = inner().Open(path, mode, crtError);
  if (!file) return nullptr;
  return std::make_unique<FaultyFile>(*this, std::move(file), path);
}

Win32Error FaultyFileSystem::CreateDirectory(const std::string& path) {
  if (ShouldFail(FileOperation::kCreateDirectory, path)) return plan_.win32Error;
  return inner().CreateDirectory(path);
}

std::optional<FindData> FaultyFileSystem::FindFirstFile(const std::string& pattern) {
  if (ShouldFail(FileOperation::kFindFirstFile, pattern)) return std::nullopt;
  return inner().FindFirstFile(pattern);
}

Win32Error FaultyFileSystem::MoveFile(const std::string& from, const std::string& to) {
  if (ShouldFail(FileOperation::kMoveFile, from + "|" + to)) return plan_.win32Error;
  return inner().MoveFile(from, to);
}

Win32Error FaultyFileSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
  if (ShouldFail(FileOperation::kMoveFileReplacing, from + "|" + to)) return plan_.win32Error;
  return inner().MoveFileReplacing(from, to);
}

Win32Error FaultyFileSystem::DeleteFile(const std::string& path) {
  if (ShouldFail(FileOperation::kDeleteFile, path)) return plan_.win32Error;
  return inner().DeleteFile(path);
}

Win32Error FaultyFileSystem::SetFileAttributes(const std::string& path, std::uint32_t attributes) {
  if (ShouldFail(FileOperation::kSetFileAttributes, path)) return plan_.win32Error;
  return inner().SetFileAttributes(path, attributes);
}

}  // namespace setup::testing
