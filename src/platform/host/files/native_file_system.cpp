// Files and directories on Linux paths as they are, for the host's authoring tools.
#include "platform/host/files/native_file_system.h"

#include <cerrno>
#include <cstdlib>

#include "platform/host/files/native_file_ops.h"
#include "platform/host/files/stdio_file.h"
#include "platform/host/files/windows_path.h"
#include "platform/host/system_errors.h"

namespace setup {

namespace {

// Splits "dir/name" into its directory ("." when none) and last component.
void SplitLast(const std::string& path, std::string* dir, std::string* name) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    *dir = ".";
    *name = path;
    return;
  }
  *dir = slash == 0 ? "/" : path.substr(0, slash);
  *name = path.substr(slash + 1);
}

}  // namespace

std::unique_ptr<File> NativeFileSystem::Open(const std::string& path, OpenMode mode,
                                             int* crtError) {
  if (path.empty() || path.find('\0') != std::string::npos) {
    if (crtError != nullptr) *crtError = path.empty() ? ENOENT : EINVAL;
    return nullptr;
  }
  return StdioFile::Open(path, mode, crtError);
}

std::string NativeFileSystem::StrError(int crtError) { return CrtErrorText(crtError); }

Win32Error NativeFileSystem::CreateDirectory(const std::string& path) {
  if (path.empty()) return kErrorPathNotFound;
  return CreateNativeDirectory(path);
}

std::optional<FindData> NativeFileSystem::FindFirstFile(const std::string& pattern) {
  if (pattern.empty() || pattern.back() == '/') return std::nullopt;
  std::string dir, name;
  SplitLast(pattern, &dir, &name);
  if (!HasWildcards(name)) {
    const std::uint32_t attributes = NativeAttributes(pattern);
    if (attributes == 0) return std::nullopt;
    return FindData{name, attributes};
  }
  if (NativeAttributes(dir) != FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  for (const std::string& entry : ListNativeDirectory(dir)) {
    if (!MatchesWildcard(name, entry)) continue;
    const std::uint32_t attributes = NativeAttributes(dir + "/" + entry);
    if (attributes != 0) return FindData{entry, attributes};
  }
  return std::nullopt;
}

Win32Error NativeFileSystem::MoveFile(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return kErrorPathNotFound;
  if (!NativeEntryExists(from)) return kErrorFileNotFound;
  return MoveNativeEntry(from, to);
}

Win32Error NativeFileSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return kErrorPathNotFound;
  return ReplaceNativeFile(from, to);
}

Win32Error NativeFileSystem::DeleteFile(const std::string& path) {
  if (path.empty()) return kErrorPathNotFound;
  return DeleteNativeFile(path);
}

Win32Error NativeFileSystem::RemoveDirectory(const std::string& path) {
  if (path.empty()) return kErrorPathNotFound;
  return RemoveNativeDirectory(path);
}

std::vector<FindData> NativeFileSystem::ListDirectory(const std::string& directory) {
  std::vector<FindData> entries;
  if (directory.empty() || NativeAttributes(directory) != FILE_ATTRIBUTE_DIRECTORY) return entries;
  for (const std::string& name : ListNativeDirectory(directory)) {
    const std::uint32_t attributes = NativeAttributes(directory + "/" + name);
    if (attributes != 0) entries.push_back(FindData{name, attributes});
  }
  return entries;
}

Win32Error NativeFileSystem::SetFileAttributes(const std::string& path, std::uint32_t attributes) {
  if (path.empty()) return kErrorPathNotFound;
  return SetNativeAttributes(path, attributes);
}

std::string NativeFileSystem::GetTempPath() {
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp";
  if (dir.back() != '/') dir += '/';
  return dir;
}

std::string NativeFileSystem::GetWindowsDirectory() { return ""; }

std::string NativeFileSystem::GetSystemDirectory() { return ""; }

std::string NativeFileSystem::FormatMessage(Win32Error code) { return SystemMessageText(code); }

}  // namespace setup
