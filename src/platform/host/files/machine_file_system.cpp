// Files and directories of the host's machine folder, reached through Windows paths.
#include "platform/host/files/machine_file_system.h"

#include <fcntl.h>
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
  // The directory holding the last component, open: what is done to the entry is done
  // relative to it.
  std::shared_ptr<const OpenFolder> parentFolder;
  std::string name;  // the last component: the name on disk when it exists, else as given
  bool exists = false;
  bool isTop = false;  // no component: a drive's root or the current directory itself
  bool trailingSeparator = false;
  bool parentIsDriveRoot = false;
  bool isLink = false;    // the last component exists and is a symbolic link
  struct stat status {};  // the last component's own status, when it exists

  int dir() const { return parentFolder->fd.get(); }
  // Whether the entry is (or, for a link, leads to) a directory.
  bool IsDirectory() const {
    if (!exists) return false;
    if (!isLink) return S_ISDIR(status.st_mode);
    struct stat target {};
    return ::fstatat(dir(), name.c_str(), &target, 0) == 0 && S_ISDIR(target.st_mode);
  }
  KnownStatus Known() const { return KnownStatus{true, exists, status}; }
  std::uint32_t Attributes() const {
    return isLink ? NativeAttributes(dir(), name) : AttributesOfStatus(status);
  }
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
int DetachHardLink(int dir, const std::string& name, const struct stat& own, bool isLink) {
  struct stat info = own;
  if (isLink && ::fstatat(dir, name.c_str(), &info, 0) != 0) return 0;
  if (!S_ISREG(info.st_mode) || info.st_nlink < 2 || (info.st_mode & S_IWUSR) == 0) return 0;
  return ::unlinkat(dir, name.c_str(), 0) == 0 ? 0 : errno;
}

// Folders are kept by the names a path gives for them, each after a separator no name holds.
std::string FolderKey(const std::string& parentKey, const std::string& name) {
  return parentKey + '\\' + name;
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
  return resolved.error == kErrorAccessDenied && resolved.exists && !resolved.isTop &&
         resolved.isLink;
}

bool MachineFileSystem::LeadsWithin(const std::string& native) {
  const std::string target = RealPath(native);
  return IsWithin(target, RealPath(machineDir_)) || IsWithin(target, RealPath(currentDir_));
}

bool MachineFileSystem::IsReachable(const std::string& native) {
  struct stat info {};
  if (::lstat(native.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
  return LeadsWithin(native);
}

std::shared_ptr<const OpenFolder> MachineFileSystem::StartFolder(const WindowsPath& split,
                                                                 const std::string& key,
                                                                 Win32Error* error) {
  if (std::shared_ptr<const OpenFolder> kept = folders_.Find(key)) return kept;
  std::string native;
  if (split.drive != 0 || split.rooted) {
    const char drive = split.drive != 0 ? split.drive : 'C';
    native = JoinNative(machineDir_, std::string("drive_") + FoldCase(drive));
  } else {
    native = currentDir_;
  }
  std::shared_ptr<const OpenFolder> folder = OpenFolderAt(AT_FDCWD, native, native, true);
  if (folder == nullptr) {
    *error = kErrorPathNotFound;
    return nullptr;
  }
  if (!IsReachable(native)) {
    *error = kErrorAccessDenied;
    return nullptr;
  }
  folders_.Keep(key, folder);
  return folder;
}

MachineFileSystem::Resolved MachineFileSystem::Resolve(const std::string& path, bool wildcardLast,
                                                       bool lookUpLast) {
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

  // Converted like the last component, or an ANSI name whose bytes happen to be UTF-8 would
  // stand for another name on the way than at the end.
  std::vector<std::string> names;
  names.reserve(split.components.size());
  for (const std::string& component : split.components) {
    names.push_back(NativeName(codePage(), component));
  }
  std::vector<std::string> keys(split.components.size() + 1);
  keys[0] = split.drive != 0 || split.rooted
                ? std::string(1, FoldCase(split.drive != 0 ? split.drive : 'C')) + ':'
                : std::string(".");
  for (std::size_t i = 0; i < names.size(); ++i) keys[i + 1] = FolderKey(keys[i], names[i]);

  std::shared_ptr<const OpenFolder> folder = StartFolder(split, keys[0], &result.error);
  if (folder == nullptr) return result;
  if (split.components.empty()) {
    result.isTop = true;
    result.exists = true;
    result.native = folder->native;
    result.parent = folder->native;
    result.parentFolder = folder;
    result.status.st_mode = S_IFDIR;
    return result;
  }

  // The deepest folder on the way that is open already, then the rest one by one.
  const std::size_t folderCount = split.components.size() - 1;
  std::size_t reached = folderCount;
  std::shared_ptr<const OpenFolder> kept;
  while (reached > 0 && (kept = folders_.Find(keys[reached])) == nullptr) --reached;
  if (kept != nullptr) folder = kept;
  for (std::size_t i = reached; i < folderCount; ++i) {
    struct stat status {};
    const std::optional<std::string> entry =
        names_.Find(folder->id, folder->fd.get(), names[i], &status);
    if (!entry.has_value()) {
      result.error = kErrorPathNotFound;
      return result;
    }
    std::string native = JoinNative(folder->native, *entry);
    const bool link = S_ISLNK(status.st_mode);
    if (link && !LeadsWithin(native)) {
      result.error = kErrorAccessDenied;
      return result;
    }
    std::shared_ptr<OpenFolder> next =
        OpenFolderAt(folder->fd.get(), *entry, std::move(native), link);
    if (next == nullptr) {
      result.error = kErrorPathNotFound;
      return result;
    }
    if (!link) {
      next->parentId = folder->id;
      next->name = *entry;
    }
    folders_.Keep(keys[i + 1], next);
    folder = std::move(next);
  }

  const std::string& last = split.components.back();
  result.parent = folder->native;
  result.parentId = folder->id;
  result.parentFolder = folder;
  result.parentIsDriveRoot = split.components.size() == 1 && (split.drive != 0 || split.rooted);
  // A pattern stays ANSI (FindFirstFile matches it against ANSI names); a name becomes the
  // stored one, or the one to create.
  result.name = last;
  if (!lookUpLast) {
    result.name = names.back();
  } else if (!(wildcardLast && HasWildcards(last))) {
    result.name = names.back();
    // A folder reached before, as a directory of this one, exists as long as this object
    // neither moved nor removed it (the machine folder is locked for the run).
    const std::shared_ptr<const OpenFolder> self = folders_.Find(keys.back());
    if (self != nullptr && self->parentId == folder->id) {
      result.name = self->name;
      result.exists = true;
      result.status.st_mode = S_IFDIR;
      result.status.st_dev = static_cast<dev_t>(self->id.device);
      result.status.st_ino = static_cast<ino_t>(self->id.inode);
    } else if (const std::optional<std::string> entry =
                   names_.Find(folder->id, folder->fd.get(), result.name, &result.status)) {
      result.name = *entry;
      result.exists = true;
      result.isLink = S_ISLNK(result.status.st_mode);
    }
  }
  result.native = JoinNative(folder->native, result.name);
  if (result.isLink && !LeadsWithin(result.native)) {
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

std::unique_ptr<File> MachineFileSystem::OpenExactForReading(const std::string& path,
                                                             int* crtError) {
  const Resolved resolved = Resolve(path, false, false);
  if (resolved.error != kErrorSuccess || resolved.isTop || resolved.trailingSeparator) {
    return nullptr;
  }
  int error = 0;
  std::unique_ptr<File> file =
      StdioFile::OpenAt(resolved.dir(), resolved.name, OpenMode::kReadBinary, &error, O_NOFOLLOW);
  // A directory or a special file is refused as the lookup would refuse it; every other failure
  // (another letter case, a link to check, a name too long) is the lookup's to answer.
  if (file == nullptr && error == EACCES && crtError != nullptr) *crtError = error;
  if (file != nullptr && crtError != nullptr) *crtError = 0;
  return file;
}

std::unique_ptr<File> MachineFileSystem::CreateUnlisted(const std::string& path, int* crtError) {
  const Resolved resolved = Resolve(path, false, false);
  if (resolved.error != kErrorSuccess || resolved.isTop || resolved.trailingSeparator ||
      !names_.KnowsAbsent(resolved.parentId, resolved.name)) {
    return nullptr;
  }
  int error = 0;
  std::unique_ptr<File> file = StdioFile::OpenAt(
      resolved.dir(), resolved.name, OpenMode::kWriteBinary, &error, O_NOFOLLOW | O_EXCL);
  if (file == nullptr) return nullptr;
  names_.Added(resolved.parentId, resolved.name);
  if (crtError != nullptr) *crtError = 0;
  return file;
}

std::unique_ptr<File> MachineFileSystem::Open(const std::string& path, OpenMode mode,
                                              int* crtError) {
  // A new file in a folder whose listing is known needs no lookup either.
  if (mode == OpenMode::kWriteBinary) {
    if (std::unique_ptr<File> file = CreateUnlisted(path, crtError)) return file;
  }
  // A file read is most often named exactly as it is stored: opened at once, it needs no
  // lookup of its own.
  if (mode == OpenMode::kReadBinary) {
    int error = -1;
    std::unique_ptr<File> file = OpenExactForReading(path, &error);
    if (file != nullptr || error > 0) {
      if (crtError != nullptr) *crtError = error;
      return file;
    }
  }
  const Resolved resolved = Resolve(path, false);
  int error = 0;
  if (resolved.error != kErrorSuccess) {
    error = ErrnoFromWin32Error(resolved.error);
  } else if (resolved.isTop) {
    error = EACCES;
  } else if (resolved.trailingSeparator && !resolved.IsDirectory()) {
    error = mode == OpenMode::kWriteBinary ? EINVAL : ENOENT;
  } else if (!resolved.exists && mode != OpenMode::kWriteBinary) {
    error = ENOENT;
  }
  if (error == 0 && mode == OpenMode::kWriteBinary && resolved.exists) {
    error = DetachHardLink(resolved.dir(), resolved.name, resolved.status, resolved.isLink);
  }
  if (error != 0) {
    if (crtError != nullptr) *crtError = error;
    return nullptr;
  }
  // A link is followed only where the checks above found one leading within reach.
  std::unique_ptr<File> file = StdioFile::OpenAt(resolved.dir(), resolved.name, mode, crtError,
                                                 resolved.isLink ? 0 : O_NOFOLLOW);
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
  const Win32Error error = CreateNativeDirectory(resolved.dir(), resolved.name);
  if (error == kErrorSuccess) {
    names_.Added(resolved.parentId, resolved.name);
    // A new directory may have the id of one removed earlier.
    struct stat made {};
    if (::fstatat(resolved.dir(), resolved.name.c_str(), &made, AT_SYMLINK_NOFOLLOW) == 0) {
      names_.Forget(DirectoryId{static_cast<std::uint64_t>(made.st_dev),
                                static_cast<std::uint64_t>(made.st_ino)});
    }
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
    return FindData{AnsiName(codePage(), resolved.name), resolved.Attributes()};
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
  std::string name = target.name;
  if (target.exists) {
    // Only a change of letter case of the entry itself may reach an existing name.
    if (target.native != source.native && !(source.status.st_dev == target.status.st_dev &&
                                            source.status.st_ino == target.status.st_ino)) {
      return kErrorAlreadyExists;
    }
    const WindowsPath split = SplitWindowsPath(to);
    name = NativeName(codePage(), split.components.back());
  }
  const Win32Error error = MoveNativeEntry(source.dir(), source.name, target.dir(), name);
  if (error == kErrorSuccess) {
    // A folder moved takes the paths through it along.
    if (S_ISDIR(source.status.st_mode) || source.isLink) folders_.ForgetAll();
    names_.Removed(source.parentId, source.name);
    names_.Added(target.parentId, name);
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
  const Win32Error error = ReplaceNativeFile(source.dir(), source.name, source.Known(),
                                             target.dir(), target.name, target.Known());
  if (error == kErrorSuccess) {
    if (source.isLink || target.isLink) folders_.ForgetAll();
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
  const Win32Error error = DeleteNativeFile(resolved.dir(), resolved.name, resolved.Known());
  if (error == kErrorSuccess) {
    if (resolved.isLink) folders_.ForgetAll();
    names_.Removed(resolved.parentId, resolved.name);
  }
  return error;
}

Win32Error MachineFileSystem::RemoveDirectory(const std::string& path) {
  const Resolved resolved = ResolveExisting(path);
  if (resolved.error != kErrorSuccess) return resolved.error;
  const Win32Error error = RemoveNativeDirectory(resolved.dir(), resolved.name);
  if (error == kErrorSuccess) {
    folders_.ForgetAll();
    names_.Removed(resolved.parentId, resolved.name);
  }
  return error;
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
  if (resolved.isTop) return kErrorSuccess;  // a directory: Windows ignores read-only on it
  return SetNativeAttributes(resolved.dir(), resolved.name, attributes, resolved.isLink);
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
