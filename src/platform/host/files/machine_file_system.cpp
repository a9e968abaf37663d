// Files and directories of the host's machine folder, reached through Windows paths.
#include "platform/host/files/machine_file_system.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/host/files/machine_folder.h"
#include "platform/host/files/native_file_ops.h"
#include "platform/host/files/native_names.h"
#include "platform/host/files/stdio_file.h"
#include "platform/host/system_errors.h"
#include "platform/text_encoding.h"

namespace setup {

struct MachineFileSystem::Resolved {
  Win32Error error = kErrorSuccess;
  std::string native;  // the whole path; the last component as found, else as given
  std::string parent;  // the native directory holding the last component
  DirectoryId parentId;
  std::string name;  // the last component: the name on disk when it exists, else as given
  bool exists = false;
  bool isTop = false;  // no component: a drive's root or the current directory itself
  bool trailingSeparator = false;
  bool parentIsDriveRoot = false;
};

namespace {

std::string JoinNative(const std::string& dir, const std::string& name) {
  if (!dir.empty() && dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

std::string RealPath(const std::string& native) {
  char buffer[PATH_MAX];
  if (::realpath(native.c_str(), buffer) == nullptr) return "";
  return buffer;
}

bool IsWithin(const std::string& path, const std::string& root) {
  if (root.empty()) return false;
  if (path == root) return true;
  if (root == "/") return true;
  return path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
         path[root.size()] == '/';
}

// A file with more than one name may be linked from outside the machine folder: writing through
// it would change that file too. It is replaced instead: its name here is removed, and the
// caller creates a new file in its place. Answers an errno value, 0 when there is nothing to do
// or the name was removed. A read-only file is left for the caller to refuse.
int DetachHardLink(const std::string& native) {
  struct stat info {};
  if (::stat(native.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink < 2 ||
      (info.st_mode & S_IWUSR) == 0) {
    return 0;
  }
  return ::unlink(native.c_str()) == 0 ? 0 : errno;
}

bool IsNativeDirectory(const std::string& native) {
  struct stat info {};
  return ::stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

MachineFileSystem::MachineFileSystem(std::string machineDir, std::string currentDir,
                                     Registry* registry)
    : machineDir_(std::move(machineDir)),
      currentDir_(std::move(currentDir)),
      registry_(registry),
      // A name stored raw by older versions folds to the same key as its UTF-8 form.
      names_(
          [this](std::string_view native) { return EncodeUtf8(FoldedName(codePage(), native)); }) {}

const AnsiCodePage& MachineFileSystem::codePage() const {
  static const AnsiCodePage windows1252;
  return codePage_ != nullptr ? *codePage_ : windows1252;
}

bool MachineFileSystem::IsLinkLeadingOut(const Resolved& resolved) {
  struct stat info {};
  return resolved.error == kErrorAccessDenied && resolved.exists && !resolved.isTop &&
         ::lstat(resolved.native.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool MachineFileSystem::IsReachable(const std::string& native) {
  struct stat info {};
  if (::lstat(native.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
  const std::string target = RealPath(native);
  return IsWithin(target, RealPath(machineDir_)) || IsWithin(target, RealPath(currentDir_));
}

MachineFileSystem::Resolved MachineFileSystem::Resolve(const std::string& path, bool wildcardLast) {
  Resolved result;
  if (path.empty()) {
    result.error = kErrorPathNotFound;
    return result;
  }
  if (path.find('\0') != std::string::npos) {
    result.error = kErrorInvalidName;
    return result;
  }
  if (path.size() >= static_cast<std::size_t>(kMaxPath)) {
    result.error = kErrorFilenameExcedRange;
    return result;
  }
  const WindowsPath split = SplitWindowsPath(path);
  if (split.unc) {
    result.error = kErrorBadPathname;
    return result;
  }
  for (std::size_t i = 0; i < split.components.size(); ++i) {
    const bool last = i + 1 == split.components.size();
    if (!IsValidFileName(split.components[i], wildcardLast && last)) {
      result.error = kErrorInvalidName;
      return result;
    }
  }
  result.trailingSeparator = split.trailingSeparator;

  std::string current;
  if (split.drive != 0 || split.rooted) {
    const char drive = split.drive != 0 ? split.drive : 'C';
    current = JoinNative(machineDir_, std::string("drive_") + FoldCase(drive));
  } else {
    current = currentDir_;
  }
  std::optional<DirectoryId> currentId = NativeDirectoryId(current);
  if (!currentId.has_value()) {
    result.error = kErrorPathNotFound;
    return result;
  }
  if (!IsReachable(current)) {
    result.error = kErrorAccessDenied;
    return result;
  }
  if (split.components.empty()) {
    result.isTop = true;
    result.exists = true;
    result.native = current;
    result.parent = current;
    return result;
  }

  for (std::size_t i = 0; i + 1 < split.components.size(); ++i) {
    // Converted like the last component, or an ANSI name whose bytes happen to be UTF-8 would
    // stand for another name on the way than at the end.
    const std::optional<std::string> entry =
        names_.Find(*currentId, current, NativeName(codePage(), split.components[i]));
    if (!entry.has_value()) {
      result.error = kErrorPathNotFound;
      return result;
    }
    current = JoinNative(current, *entry);
    if (!IsReachable(current)) {
      result.error = kErrorAccessDenied;
      return result;
    }
    currentId = NativeDirectoryId(current);
    if (!currentId.has_value()) {
      result.error = kErrorPathNotFound;
      return result;
    }
  }

  const std::string& last = split.components.back();
  result.parent = current;
  result.parentId = *currentId;
  result.parentIsDriveRoot = split.components.size() == 1 && (split.drive != 0 || split.rooted);
  // A pattern stays ANSI (FindFirstFile matches it against ANSI names); a name becomes the
  // stored one, or the one to create.
  result.name = last;
  if (!(wildcardLast && HasWildcards(last))) {
    result.name = NativeName(codePage(), last);
    if (const std::optional<std::string> entry = names_.Find(*currentId, current, result.name)) {
      result.name = *entry;
      result.exists = true;
    }
  }
  result.native = JoinNative(current, result.name);
  if (result.exists && !IsReachable(result.native)) {
    result.error = kErrorAccessDenied;
  }
  return result;
}

Win32Error MachineFileSystem::ToNativePath(const std::string& path, std::string* native) {
  const Resolved resolved = Resolve(path, false);
  if (resolved.error != kErrorSuccess) return resolved.error;
  *native = resolved.native;
  return kErrorSuccess;
}

std::unique_ptr<File> MachineFileSystem::Open(const std::string& path, OpenMode mode,
                                              int* crtError) {
  const Resolved resolved = Resolve(path, false);
  int error = 0;
  if (resolved.error != kErrorSuccess) {
    error = ErrnoFromWin32Error(resolved.error);
  } else if (resolved.isTop) {
    error = EACCES;
  } else if (resolved.trailingSeparator && !IsNativeDirectory(resolved.native)) {
    error = mode == OpenMode::kWriteBinary ? EINVAL : ENOENT;
  } else if (!resolved.exists && mode != OpenMode::kWriteBinary) {
    error = ENOENT;
  }
  if (error == 0 && mode == OpenMode::kWriteBinary && resolved.exists) {
    error = DetachHardLink(resolved.native);
  }
  if (error != 0) {
    if (crtError != nullptr) *crtError = error;
    return nullptr;
  }
  std::unique_ptr<File> file = StdioFile::Open(resolved.native, mode, crtError);
  if (file != nullptr && !resolved.exists) names_.Added(resolved.parentId, resolved.name);
  return file;
}

std::string MachineFileSystem::StrError(int crtError) { return CrtErrorText(crtError); }

Win32Error MachineFileSystem::CreateDirectory(const std::string& path) {
  // Windows leaves room for an 8.3 file name in a new directory's path.
  if (path.size() > static_cast<std::size_t>(kMaxPath) - 12) return kErrorFilenameExcedRange;
  const Resolved resolved = Resolve(path, false);
  if (resolved.error != kErrorSuccess) return resolved.error;
  if (resolved.isTop) return kErrorAccessDenied;
  if (resolved.exists) return kErrorAlreadyExists;
  const Win32Error error = CreateNativeDirectory(resolved.native);
  if (error == kErrorSuccess) {
    names_.Added(resolved.parentId, resolved.name);
    if (const std::optional<DirectoryId> id = NativeDirectoryId(resolved.native))
      names_.Forget(*id);
  }
  return error;
}

std::optional<FindData> MachineFileSystem::FindFirstFile(const std::string& pattern) {
  const Resolved resolved = Resolve(pattern, true);
  if (resolved.error != kErrorSuccess || resolved.isTop || resolved.trailingSeparator) {
    return std::nullopt;
  }
  if (!HasWildcards(resolved.name)) {
    if (!resolved.exists) return std::nullopt;
    return FindData{AnsiName(codePage(), resolved.name), NativeAttributes(resolved.native)};
  }
  // Windows lists "." and ".." in every directory but a drive's root.
  if (!resolved.parentIsDriveRoot) {
    for (const char* dots : {".", ".."}) {
      if (MatchesWildcard(resolved.name, dots)) return FindData{dots, FILE_ATTRIBUTE_DIRECTORY};
    }
  }
  // (ANSI name, stored name)
  std::vector<std::pair<std::string, std::string>> names;
  for (std::string& stored : ListNativeDirectory(resolved.parent)) {
    names.emplace_back(AnsiName(codePage(), stored), std::move(stored));
  }
  std::stable_sort(names.begin(), names.end(),
                   [](const auto& a, const auto& b) { return LessIgnoreCase(a.first, b.first); });
  for (const auto& [name, stored] : names) {
    if (!MatchesWildcard(resolved.name, name)) continue;
    const std::string native = JoinNative(resolved.parent, stored);
    if (!IsReachable(native)) continue;
    const std::uint32_t attributes = NativeAttributes(native);
    if (attributes == 0) continue;  // a dangling link
    return FindData{name, attributes};
  }
  return std::nullopt;
}

MachineFileSystem::Resolved MachineFileSystem::ResolveExisting(const std::string& path) {
  Resolved resolved = Resolve(path, false);
  if (resolved.error != kErrorSuccess) return resolved;
  // A drive's root (or the current directory) is never moved or removed.
  if (resolved.isTop) {
    resolved.error = kErrorAccessDenied;
  } else if (!resolved.exists) {
    resolved.error = kErrorFileNotFound;
  }
  return resolved;
}

Win32Error MachineFileSystem::MoveFile(const std::string& from, const std::string& to) {
  const Resolved source = ResolveExisting(from);
  if (source.error != kErrorSuccess) return source.error;
  const Resolved target = Resolve(to, false);
  if (target.error != kErrorSuccess) return target.error;
  if (target.isTop) return kErrorAlreadyExists;
  if (target.exists) {
    // Only a change of letter case of the entry itself may reach an existing name.
    if (target.native != source.native) {
      struct stat a {
      }, b{};
      const bool same = ::lstat(source.native.c_str(), &a) == 0 &&
                        ::lstat(target.native.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
                        a.st_ino == b.st_ino;
      if (!same) return kErrorAlreadyExists;
    }
    const WindowsPath split = SplitWindowsPath(to);
    const std::string name = NativeName(codePage(), split.components.back());
    const Win32Error error = MoveNativeEntry(source.native, JoinNative(target.parent, name));
    if (error == kErrorSuccess) {
      names_.Removed(source.parentId, source.name);
      names_.Added(target.parentId, name);
    }
    return error;
  }
  const Win32Error error = MoveNativeEntry(source.native, target.native);
  if (error == kErrorSuccess) {
    names_.Removed(source.parentId, source.name);
    names_.Added(target.parentId, target.name);
  }
  return error;
}

Win32Error MachineFileSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
  const Resolved source = ResolveExisting(from);
  if (source.error != kErrorSuccess) return source.error;
  const Resolved target = Resolve(to, false);
  if (target.error != kErrorSuccess) return target.error;
  if (target.isTop || target.trailingSeparator) return kErrorAccessDenied;
  // An existing file keeps the spelling it has on disk, as Windows keeps it.
  const Win32Error error = ReplaceNativeFile(source.native, target.native);
  if (error == kErrorSuccess) {
    names_.Removed(source.parentId, source.name);
    if (!target.exists) names_.Added(target.parentId, target.name);
  }
  return error;
}

Win32Error MachineFileSystem::DeleteFile(const std::string& path) {
  Resolved resolved = ResolveExisting(path);
  // Removing a link leading out takes the link alone, which reaches nothing outside.
  if (IsLinkLeadingOut(resolved)) resolved.error = kErrorSuccess;
  if (resolved.error != kErrorSuccess) return resolved.error;
  const Win32Error error = DeleteNativeFile(resolved.native);
  if (error == kErrorSuccess) names_.Removed(resolved.parentId, resolved.name);
  return error;
}

Win32Error MachineFileSystem::RemoveDirectory(const std::string& path) {
  const Resolved resolved = ResolveExisting(path);
  if (resolved.error != kErrorSuccess) return resolved.error;
  return RemoveNativeDirectory(resolved.native);
}

std::vector<FindData> MachineFileSystem::ListDirectory(const std::string& directory) {
  std::vector<FindData> entries;
  const Resolved resolved = Resolve(directory, false);
  if (resolved.error != kErrorSuccess || !resolved.exists) return entries;
  // ANSI names, as callers join them to Windows paths.
  for (const std::string& name : ListNativeDirectory(resolved.native)) {
    entries.push_back(
        FindData{AnsiName(codePage(), name), NativeAttributes(JoinNative(resolved.native, name))});
  }
  return entries;
}

Win32Error MachineFileSystem::SetFileAttributes(const std::string& path, std::uint32_t attributes) {
  const Resolved resolved = Resolve(path, false);
  if (resolved.error != kErrorSuccess) return resolved.error;
  if (!resolved.exists) return kErrorFileNotFound;
  return SetNativeAttributes(resolved.native, attributes);
}

namespace {

// A directory text as GetWindowsDirectoryA answers it: no trailing backslash except at a
// drive's root, and empty when it would not fit a system path buffer.
std::string AsDirectoryResult(std::string dir) {
  while (dir.size() > 1 && IsPathSeparator(dir.back()) && !(dir.size() == 3 && dir[1] == ':')) {
    dir.pop_back();
  }
  if (dir.size() >= static_cast<std::size_t>(kMaxPath)) return "";
  return dir;
}

}  // namespace

std::string MachineFileSystem::GetTempPath() {
  std::string dir =
      ReadMachineString(registry_, kTmpSetting.root, kTmpSetting.key, kTmpSetting.name)
          .value_or(ReadMachineSetting(registry_, kTempSetting));
  if (dir.empty()) return "";
  if (!IsPathSeparator(dir.back())) dir += '\\';
  if (dir.size() >= static_cast<std::size_t>(kMaxPath)) return "";
  return dir;
}

std::string MachineFileSystem::GetWindowsDirectory() {
  return AsDirectoryResult(ReadMachineSetting(registry_, kWindowsDirectorySetting));
}

std::string MachineFileSystem::GetSystemDirectory() {
  std::string windows = AsDirectoryResult(ReadMachineSetting(registry_, kWindowsDirectorySetting));
  if (windows.empty()) return "";
  if (!IsPathSeparator(windows.back())) windows += '\\';
  return AsDirectoryResult(windows + "System32");
}

std::string MachineFileSystem::FormatMessage(Win32Error code) { return SystemMessageText(code); }

}  // namespace setup

namespace setup {

std::string MachineFileSystem::GetFullPathName(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return {};
  WindowsPath split = SplitWindowsPath(path);
  if (split.unc) return {};
  if (split.drive != 0 || split.rooted) {
    if (split.drive == 0) split.drive = 'C';
    split.rooted = true;
    return JoinWindowsPath(split);
  }
  // The current directory's Windows name: its place below MACHINE/drive_x.
  const std::string machine = RealPath(machineDir_);
  const std::string current = RealPath(currentDir_);
  if (machine.empty() || current.empty() || !IsWithin(current, machine) || current == machine) {
    return {};
  }
  std::vector<std::string> below;
  std::size_t start = machine.size() + (machine == "/" ? 0 : 1);
  while (start <= current.size()) {
    std::size_t slash = current.find('/', start);
    if (slash == std::string::npos) slash = current.size();
    below.push_back(current.substr(start, slash - start));
    start = slash + 1;
  }
  const std::string& driveFolder = below.front();
  if (driveFolder.size() != 7 || driveFolder.compare(0, 6, "drive_") != 0 ||
      !((driveFolder[6] >= 'a' && driveFolder[6] <= 'z'))) {
    return {};
  }
  WindowsPath full;
  full.drive = static_cast<char>(driveFolder[6] - 'a' + 'A');
  full.rooted = true;
  for (std::size_t i = 1; i < below.size(); ++i)
    full.components.push_back(AnsiName(codePage(), below[i]));
  // `..` never climbs above the current directory, as this file system resolves it.
  for (const std::string& component : split.components) full.components.push_back(component);
  full.trailingSeparator = split.trailingSeparator;
  return JoinWindowsPath(full);
}

}  // namespace setup
