// A FileSystem that hands every call to another one; wrappers override only what they change.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace setup {

class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}

  std::unique_ptr<File> Open(const std::string& path, OpenMode mode, int* crtError) override {
    return inner_.Open(path, mode, crtError);
  }
  std::string StrError(int crtError) override { return inner_.StrError(crtError); }
  Win32Error CreateDirectory(const std::string& path) override {
    return inner_.CreateDirectory(path);
  }
  std::optional<FindData> FindFirstFile(const std::string& pattern) override {
    return inner_.FindFirstFile(pattern);
  }
  Win32Error MoveFile(const std::string& from, const std::string& to) override {
    return inner_.MoveFile(from, to);
  }
  Win32Error MoveFileReplacing(const std::string& from, const std::string& to) override {
    return inner_.MoveFileReplacing(from, to);
  }
  Win32Error DeleteFile(const std::string& path) override { return inner_.DeleteFile(path); }
  Win32Error RemoveDirectory(const std::string& path) override {
    return inner_.RemoveDirectory(path);
  }
  std::vector<FindData> ListDirectory(const std::string& directory) override {
    return inner_.ListDirectory(directory);
  }
  Win32Error SetFileAttributes(const std::string& path, std::uint32_t attributes) override {
    return inner_.SetFileAttributes(path, attributes);
  }
  std::string GetTempPath() override { return inner_.GetTempPath(); }
  std::string GetWindowsDirectory() override { return inner_.GetWindowsDirectory(); }
  std::string GetSystemDirectory() override { return inner_.GetSystemDirectory(); }
  std::string FormatMessage(Win32Error code) override { return inner_.FormatMessage(code); }
  std::string GetFullPathName(const std::string& path) override {
    return inner_.GetFullPathName(path);
  }

 protected:
  FileSystem& inner() { return inner_; }

 private:
  FileSystem& inner_;
};

}  // namespace setup
