// The removal steps, from the installation record, in an order a rerun can always finish.
#include "uninstall/uninstall_engine.h"

#include <algorithm>
#include <optional>

#include "base/installation_record_store.h"
#include "base/path_parts.h"
#include "base/registry_access.h"
#include "base/registry_path.h"
#include "platform/ascii_case.h"
#include "uninstall/ended_removal.h"

namespace setup {
namespace {

constexpr const char* kSharedFileQuestion =
    "The system indicates that the following shared file is no longer used by any programs ... "
    "remove it?\n\n";
// The decoder's side file beside a destination, left when an expansion was killed.
constexpr const char* kExpansionSuffix = ".~new";

std::size_t Depth(const std::string& directory) {
  return static_cast<std::size_t>(std::count(directory.begin(), directory.end(), '\\'));
}

// Opens the first `depth` levels of `path` for reading; nothing when one is missing.
std::optional<RegKey> OpenLevels(Registry& registry, const RegistryPath& path, std::size_t depth,
                                 Win32Error* error) {
  RegKey current = path.root;
  for (std::size_t i = 0; i < depth; ++i) {
    ScopedRegKey parent(registry, current);
    RegKey next = 0;
    *error = registry.OpenKey(current, path.keys[i], &next);
    if (*error != kErrorSuccess) return std::nullopt;
    current = next;
  }
  *error = kErrorSuccess;
  return current;
}

bool IsMissing(Win32Error error) {
  return error == kErrorFileNotFound || error == kErrorPathNotFound;
}

// Whether `path` lies below `directory`.
bool IsWithin(const std::string& path, const std::string& directory) {
  const std::string dir = CanonicalWindowsPath(directory);
  const std::string text = CanonicalWindowsPath(path);
  return text.size() > dir.size() + 1 && text.compare(0, dir.size(), dir) == 0 &&
         text[dir.size()] == '\\';
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : TrimDirectory(path.substr(0, slash));
}

}  // namespace

bool SamePath(const std::string& a, const std::string& b) { return SameWindowsPath(a, b); }

std::string TrimDirectory(std::string directory) {
  while (directory.size() > 1 && directory.back() == '\\' &&
         !(directory.size() == 3 && directory[1] == ':')) {
    directory.pop_back();
  }
  return directory;
}

const char* LeftReasonText(LeftReason reason) {
  switch (reason) {
    case LeftReason::kFailed:
      return "could not be removed";
    case LeftReason::kChanged:
      return "changed since it was installed";
    case LeftReason::kForeign:
      return "not installed by this product";
    case LeftReason::kStillShared:
      return "still used by other programs";
    case LeftReason::kSharedKept:
      return "shared file no longer used, kept";
    case LeftReason::kNotFollowed:
      return "below a link, not followed";
  }
  return "";
}

UninstallEngine::UninstallEngine(const Platform& platform, const SetupScript& script,
                                 const InstallationRecord& record, InstallLog& log,
                                 ProgramRemover& remover, UninstallTarget target,
                                 UninstallPolicy policy)
    : platform_(platform),
      script_(script),
      record_(record),
      log_(log),
      remover_(remover),
      target_(std::move(target)),
      policy_(policy),
      // Formed as the installer formed it.
      setupLogPath_(target_.installDir + "\\SETUP.LOG"),
      recordDir_(ParentOf(target_.programPath)),
      markPath_(EndedRemovalMarkPath(recordDir_)) {
  BuildSteps();
}

bool UninstallEngine::IsOwnFile(const std::string& path) const {
  return SamePath(path, setupLogPath_) || SamePath(path, target_.scriptCopyPath) ||
         SamePath(path, target_.programPath);
}

bool UninstallEngine::IsInsideInstallDir(const std::string& path) const {
  return IsWithin(path, target_.installDir);
}

bool UninstallEngine::InProductKey(const RecordedValue& value) const {
  const std::optional<RegistryPath> path = SplitRegistryPath(value.keyPath, value.separator);
  if (!path) return false;
  const std::optional<std::string> name = UninstallKeyName(*path);
  return name && EqualsIgnoringAsciiCase(*name, target_.product.name);
}

UninstallEngine::EntryKind UninstallEngine::Kind(const std::string& path) {
  // A name with wildcards would match something else: such a path names nothing installed.
  if (path.find_first_of("*?") != std::string::npos) return EntryKind::kMissing;
  const std::optional<std::uint32_t> attributes = platform_.files.FindAttributes(path);
  if (!attributes) return EntryKind::kMissing;
  if ((*attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return EntryKind::kLink;
  if ((*attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EntryKind::kDirectory;
  return EntryKind::kFile;
}

bool UninstallEngine::BelowLink(const std::string& path) {
  if (!IsInsideInstallDir(path)) return false;
  for (std::string folder = ParentOf(path); IsInsideInstallDir(folder); folder = ParentOf(folder)) {
    if (Kind(folder) == EntryKind::kLink) return true;
  }
  return false;
}

bool UninstallEngine::Matches(const RecordedFile& file) {
  std::uint64_t size = 0;
  Sha256Digest digest{};
  return DigestFile(platform_.files, file.path, &size, &digest) && size == file.size &&
         digest == file.digest;
}

const RecordedFile* UninstallEngine::RecordedFileAt(const std::string& path) const {
  for (const RecordedFile& file : record_.files) {
    if (SamePath(file.path, path)) return &file;
  }
  return nullptr;
}

void UninstallEngine::Leave(const std::string& path, LeftReason reason) {
  for (const Leftover& left : leftovers_) {
    if (SamePath(left.path, path)) return;
  }
  leftovers_.push_back({path, reason});
}

void UninstallEngine::Fail(const std::string& what, const std::string& path, Win32Error error) {
  std::string reason = GetSystemErrorText(platform_.files, error);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  log_.Write("Could not remove %s %s: %s", what.c_str(), path.c_str(), reason.c_str());
  failed_ = true;
  Leave(path, LeftReason::kFailed);
}

void UninstallEngine::BuildSteps() {
  // Files first: while the record and the product's key stay, a rerun after a kill finds all
  // that is left.
  for (const RecordedFile& file : record_.files) {
    if (IsOwnFile(file.path)) continue;
    const bool shared = std::any_of(
        record_.sharedFiles.begin(), record_.sharedFiles.end(),
        [&](const RecordedSharedFile& entry) { return SamePath(entry.path, file.path); });
    if (shared) continue;
    const RecordedFile* entry = &file;
    steps_.push_back({"Removing " + GetFileName(file.path),
                      [this, entry](WindowHandle) { RemoveRecordedFile(*entry); }});
  }
  // By index: giving a count back takes its entry out of the record.
  for (const RecordedSharedFile& shared : std::vector<RecordedSharedFile>(record_.sharedFiles)) {
    steps_.push_back({"Removing " + GetFileName(shared.path),
                      [this, shared](WindowHandle owner) { ReleaseSharedFile(owner, shared); }});
  }
  for (const std::string& link : record_.links) {
    steps_.push_back(
        {"Removing " + GetFileName(link), [this, link](WindowHandle) { RemoveShortcut(link); }});
  }
  for (auto it = record_.values.rbegin(); it != record_.values.rend(); ++it) {
    if (InProductKey(*it)) continue;
    const RecordedValue value = *it;
    steps_.push_back(
        {"Removing registry values", [this, value](WindowHandle) { RemoveRegistryValue(value); }});
  }
  steps_.push_back({"Removing registry keys", [this](WindowHandle) { RemoveEmptyKeys(); }});
  steps_.push_back({"Removing SETUP.LOG", [this](WindowHandle) { RemoveFile(setupLogPath_); }});
  // Last, in one step, the record, then the product's key, then the folders and the
  // uninstaller, under a mark on the disk: a rerun finishes from any point, with the key still
  // holding the digest, or from the mark once the key is gone. The script copy and the mark go
  // just before the uninstaller.
  steps_.push_back({"Removing directories", [this](WindowHandle) {
                      MarkEndedRemoval();
                      RemoveFile(RecordPath(recordDir_));
                      RemoveFile(RecordSidePath(recordDir_));
                      RemoveProductKey();
                      platform_.registry.FlushKey(kHkeyLocalMachine);
                      RemoveDirectories(false);
                      RemoveFile(target_.scriptCopyPath);
                      RemoveFile(markPath_);
                      RemoveProgram();
                      RemoveDirectories(true);
                    }});
}

void UninstallEngine::MarkEndedRemoval() {
  int crtError = 0;
  std::unique_ptr<File> mark = platform_.files.Open(markPath_, OpenMode::kWriteBinary, &crtError);
  if (!mark || !mark->Close()) {
    // Without it a kill in this step can leave what a rerun takes for a copy left behind.
    log_.Write("Could not write %s: %s", markPath_.c_str(),
               platform_.files.StrError(crtError).c_str());
  }
}

void UninstallEngine::RemoveRecordedFile(const RecordedFile& file) {
  RemoveStaleSideFile(file.path);
  if (BelowLink(file.path)) {
    log_.Write("Below a link, not followed: %s", file.path.c_str());
    Leave(file.path, LeftReason::kNotFollowed);
    return;
  }
  switch (Kind(file.path)) {
    case EntryKind::kMissing:
      RemoveUnseen(file.path);
      return;
    case EntryKind::kLink:
      RemoveLink(file.path);
      return;
    case EntryKind::kDirectory:
      log_.Write("Not installed by this product, stays: %s", file.path.c_str());
      Leave(file.path, LeftReason::kForeign);
      return;
    case EntryKind::kFile:
      break;
  }
  if (!policy_.removeChanged && !Matches(file)) {
    log_.Write("Changed since it was installed, stays: %s", file.path.c_str());
    Leave(file.path, LeftReason::kChanged);
    return;
  }
  RemoveFile(file.path);
}

void UninstallEngine::RemoveUnseen(const std::string& path) {
  // Not found by name: missing, or a link whose target the system keeps out of reach, which
  // removing takes alone; behind such a link nothing is followed.
  if (path.find_first_of("*?") != std::string::npos) return;
  const Win32Error error = platform_.files.DeleteFile(path);
  if (error == kErrorSuccess) {
    log_.Write("Removed the link: %s", path.c_str());
  } else if (IsMissing(error)) {
    log_.Write("Not found: %s", path.c_str());
  } else if (error == kErrorAccessDenied) {
    log_.Write("Below a link, not followed: %s", path.c_str());
    Leave(path, LeftReason::kNotFollowed);
  } else {
    Fail("the file", path, error);
  }
}

void UninstallEngine::RemoveStaleSideFile(const std::string& path) {
  const std::string side = path + kExpansionSuffix;
  if (Kind(side) != EntryKind::kFile) return;
  const Win32Error error = platform_.files.DeleteFile(side);
  if (error == kErrorSuccess) {
    log_.Write("Removed: %s", side.c_str());
  } else if (!IsMissing(error)) {
    Fail("the file", side, error);
  }
}

void UninstallEngine::RemoveLink(const std::string& path) {
  // The link goes, never what it points at.
  Win32Error error = platform_.files.DeleteFile(path);
  if (error != kErrorSuccess && !IsMissing(error)) {
    const Win32Error asFolder = platform_.files.RemoveDirectory(path);
    if (asFolder == kErrorSuccess || IsMissing(asFolder)) error = asFolder;
  }
  if (error == kErrorSuccess) {
    log_.Write("Removed the link: %s", path.c_str());
  } else if (!IsMissing(error)) {
    Fail("the link", path, error);
  }
}

bool UninstallEngine::SaveRecord() {
  return WriteInstallationRecord(platform_.files, platform_.registry, recordDir_, record_);
}

void UninstallEngine::ReleaseSharedFile(WindowHandle owner, const RecordedSharedFile& shared) {
  const std::string& path = shared.path;
  Registry& registry = platform_.registry;
  const std::int32_t count = GetSharedDllCount(registry, path);
  // The record first: a kill after it can only leave a use counted, never take another
  // product's.
  record_.sharedFiles.erase(
      std::remove_if(record_.sharedFiles.begin(), record_.sharedFiles.end(),
                     [&](const RecordedSharedFile& entry) { return SamePath(entry.path, path); }),
      record_.sharedFiles.end());
  if (!SaveRecord()) {
    // Lowered without the record knowing, a rerun would lower it again.
    Fail("one use of the shared file", path, kErrorCantWrite);
    return;
  }
  if (count < 0) {
    log_.Write("No count is stored for the shared file %s: it stays", path.c_str());
    if (Kind(path) != EntryKind::kMissing) Leave(path, LeftReason::kStillShared);
    return;
  }
  const std::int64_t left = std::int64_t{count} - shared.raised;
  if (left > 0) {
    if (SetSharedDllCount(registry, path, static_cast<std::int32_t>(left)) == 0) {
      Fail("one use of the shared file", path, kErrorCantWrite);
      return;
    }
    log_.Write("The shared file %s is still used (count %d): it stays", path.c_str(),
               static_cast<int>(left));
    if (Kind(path) != EntryKind::kMissing) Leave(path, LeftReason::kStillShared);
    return;
  }
  // The last use: the count goes, and the file only when nobody wants to keep it.
  RegistryPath sharedKey{kHkeyLocalMachine,
                         "HKEY_LOCAL_MACHINE",
                         {"Software", "Microsoft", "Windows", "CurrentVersion", "SharedDLLs"},
                         path};
  Win32Error error = kErrorSuccess;
  const std::optional<RegKey> key = OpenLevels(registry, sharedKey, sharedKey.keys.size(), &error);
  if (key) {
    ScopedRegKey open(registry, *key);
    error = registry.DeleteValue(*key, path);
  }
  if (error != kErrorSuccess && !IsMissing(error)) {
    Fail("the count of the shared file", path, error);
    return;
  }
  log_.Write("Removed the count of the shared file %s", path.c_str());
  RemoveStaleSideFile(path);
  const EntryKind kind = BelowLink(path) ? EntryKind::kMissing : Kind(path);
  if (kind == EntryKind::kMissing) return;
  if (kind == EntryKind::kLink) {
    RemoveLink(path);
    return;
  }
  const RecordedFile* placed = RecordedFileAt(path);
  if (kind == EntryKind::kDirectory ||
      (placed != nullptr && !policy_.removeChanged && !Matches(*placed))) {
    log_.Write("Changed since it was installed, stays: %s", path.c_str());
    Leave(path, LeftReason::kChanged);
    return;
  }
  bool remove = policy_.sharedFiles == SharedFilePolicy::kRemove;
  if (policy_.sharedFiles == SharedFilePolicy::kAsk) {
    const std::string caption = platform_.windows.ApplicationTitle();
    remove = platform_.windows.MessageBox(owner, kSharedFileQuestion + path, caption.c_str(),
                                          MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
  }
  if (!remove) {
    log_.Write("The shared file %s is no longer used and stays", path.c_str());
    Leave(path, LeftReason::kSharedKept);
    return;
  }
  RemoveFile(path);
}

void UninstallEngine::RemoveShortcut(const std::string& linkFile) {
  RemoveFile(linkFile);
  // The program group, when this left it empty; never the Programs folder itself.
  const std::string folder = ParentOf(linkFile);
  if (folder.empty()) return;
  std::string programs;
  if (platform_.shell.GetProgramsFolder(nullptr, &programs) && SamePath(programs, folder)) return;
  if (folder.size() <= 3 || Kind(folder) != EntryKind::kDirectory ||
      !platform_.files.ListDirectory(folder).empty()) {
    return;
  }
  const Win32Error error = platform_.files.RemoveDirectory(folder);
  if (error == kErrorSuccess) {
    log_.Write("Removed: %s", folder.c_str());
  } else if (!IsMissing(error) && error != kErrorDirNotEmpty) {
    Fail("the folder", folder, error);
  }
}

void UninstallEngine::RemoveRegistryValue(const RecordedValue& value) {
  const std::optional<RegistryPath> path = SplitRegistryPath(value.keyPath, value.separator);
  if (!path) return;
  Registry& registry = platform_.registry;
  Win32Error error = kErrorSuccess;
  const std::optional<RegKey> key = OpenLevels(registry, *path, path->keys.size(), &error);
  const std::string text = RegistryPathText(*path, path->keys.size(), true);
  if (!key) {
    if (!IsMissing(error)) Fail("the registry value", text, error);
    return;
  }
  ScopedRegKey open(registry, *key);
  error = registry.DeleteValue(*key, path->valueName);
  if (error == kErrorSuccess) {
    log_.Write("Removed: %s", text.c_str());
  } else if (!IsMissing(error)) {
    Fail("the registry value", text, error);
  }
}

void UninstallEngine::RemoveEmptyKeys() {
  std::vector<RegistryPath> chains;
  for (const RecordedValue& value : record_.values) {
    std::optional<RegistryPath> path = SplitRegistryPath(value.keyPath, value.separator);
    if (!path || InProductKey(value)) continue;
    const std::string text = RegistryPathText(*path, path->keys.size(), false);
    const bool seen = std::any_of(chains.begin(), chains.end(), [&](const RegistryPath& chain) {
      return EqualsIgnoringAsciiCase(RegistryPathText(chain, chain.keys.size(), false), text);
    });
    if (!seen) chains.push_back(std::move(*path));
  }
  // The deepest first, so that a key whose subkeys go first can go too.
  std::stable_sort(chains.begin(), chains.end(), [](const RegistryPath& a, const RegistryPath& b) {
    return a.keys.size() > b.keys.size();
  });
  Registry& registry = platform_.registry;
  for (const RegistryPath& chain : chains) {
    for (std::size_t depth = chain.keys.size(); depth > 0; --depth) {
      if (!IsRemovableKey(chain, depth, target_.product.name)) break;
      const std::string text = RegistryPathText(chain, depth, false);
      Win32Error error = kErrorSuccess;
      const std::optional<RegKey> key = OpenLevels(registry, chain, depth, &error);
      if (!key) {
        if (IsMissing(error)) continue;
        Fail("the registry key", text, error);
        break;
      }
      std::uint32_t subkeys = 0;
      std::uint32_t values = 0;
      {
        ScopedRegKey open(registry, *key);
        error = registry.QueryInfoKey(*key, &subkeys, &values);
      }
      if (error != kErrorSuccess || subkeys != 0 || values != 0) break;
      const std::optional<RegKey> parent = OpenLevels(registry, chain, depth - 1, &error);
      if (!parent) break;
      ScopedRegKey openParent(registry, *parent);
      error = registry.DeleteKey(*parent, chain.keys[depth - 1]);
      if (error == kErrorSuccess) {
        log_.Write("Removed: %s", text.c_str());
      } else if (!IsMissing(error)) {
        Fail("the registry key", text, error);
        break;
      }
    }
  }
}

void UninstallEngine::RemoveProductKey() {
  // The values the installer wrote there (the record's and the script copy's: a rerun may have
  // only the latter), the digest last, then the key once it is empty.
  std::vector<RecordedValue> values;
  for (const RecordedValue& value : record_.values) {
    if (InProductKey(value)) values.push_back(value);
  }
  for (const RegistryEntry& entry : script_.registryEntries) {
    const RecordedValue value{entry.separator, entry.keyPath};
    if (entry.type != RegistryType::kAbsent && InProductKey(value)) values.push_back(value);
  }
  for (const RecordedValue& value : values) RemoveRegistryValue(value);
  const std::string key = ProductUninstallKey(target_.product.name);
  RemoveRegistryValue({'\\', key + "\\" + kInstallationRecordDigestValue});
  const std::optional<RegistryPath> path = SplitRegistryPath(key + "\\x", '\\');
  if (!path) return;
  Registry& registry = platform_.registry;
  Win32Error error = kErrorSuccess;
  const std::optional<RegKey> opened = OpenLevels(registry, *path, path->keys.size(), &error);
  if (!opened) {
    if (!IsMissing(error)) Fail("the registry key", key, error);
    return;
  }
  std::uint32_t subkeys = 0;
  std::uint32_t count = 0;
  {
    ScopedRegKey open(registry, *opened);
    error = registry.QueryInfoKey(*opened, &subkeys, &count);
  }
  if (error != kErrorSuccess || subkeys != 0 || count != 0) return;
  const std::optional<RegKey> parent = OpenLevels(registry, *path, path->keys.size() - 1, &error);
  if (!parent) return;
  ScopedRegKey openParent(registry, *parent);
  error = registry.DeleteKey(*parent, path->keys.back());
  if (error == kErrorSuccess) {
    log_.Write("Removed: %s", key.c_str());
  } else if (!IsMissing(error)) {
    Fail("the registry key", key, error);
  }
}

void UninstallEngine::RemoveFile(const std::string& path) {
  const EntryKind kind = Kind(path);
  if (kind == EntryKind::kMissing) {
    log_.Write("Not found: %s", path.c_str());
    return;
  }
  if (kind == EntryKind::kLink) {
    RemoveLink(path);
    return;
  }
  const Win32Error error = platform_.files.DeleteFile(path);
  if (error == kErrorSuccess) {
    log_.Write("Removed: %s", path.c_str());
  } else if (!IsMissing(error)) {
    // Read-only or in use: the file stays as it is, and the user is told.
    Fail("the file", path, error);
  }
}

void UninstallEngine::RemoveProgram() {
  if (Kind(target_.programPath) == EntryKind::kMissing) return;
  bool deferred = false;
  const Win32Error error = remover_.RemoveProgram(target_.programPath, &deferred);
  if (error != kErrorSuccess) {
    Fail("the uninstaller", target_.programPath, error);
  } else if (deferred) {
    deferredProgram_ = target_.programPath;
    log_.Write("Removed once this program has ended: %s", target_.programPath.c_str());
  } else {
    log_.Write("Removed: %s", target_.programPath.c_str());
  }
}

void UninstallEngine::RemoveDirectories(bool holdingProgram) {
  // The directories of the files inside the installation directory, up to it; nothing outside
  // it (the system directory of a shared file, for one) is ever removed.
  std::vector<std::string> directories;
  auto isIn = [](const std::vector<std::string>& list, const std::string& path) {
    return std::any_of(list.begin(), list.end(),
                       [&](const std::string& known) { return SamePath(known, path); });
  };
  const std::string installDir = TrimDirectory(target_.installDir);
  std::vector<std::string> paths;
  for (const RecordedFile& file : record_.files) paths.push_back(file.path);
  for (const FileEntry& file : script_.files) paths.push_back(file.destination);
  paths.push_back(setupLogPath_);
  for (const std::string& path : paths) {
    if (!IsInsideInstallDir(path)) continue;
    for (std::string directory = ParentOf(path); !directory.empty();
         directory = ParentOf(directory)) {
      if (!IsInsideInstallDir(directory) && !SamePath(directory, installDir)) break;
      if (!isIn(directories, directory)) directories.push_back(directory);
      if (SamePath(directory, installDir)) break;
    }
  }
  std::stable_sort(directories.begin(), directories.end(),
                   [](const std::string& a, const std::string& b) {
                     return Depth(CanonicalWindowsPath(a)) > Depth(CanonicalWindowsPath(b));
                   });

  std::vector<std::string> pending;  // removed only after the program has ended
  for (const std::string& directory : directories) {
    const bool holds = IsWithin(target_.programPath, directory);
    if (holds != holdingProgram) continue;
    const EntryKind kind = Kind(directory);
    if (kind == EntryKind::kMissing) {
      RemoveUnseen(directory);
      continue;
    }
    if (kind == EntryKind::kLink) {
      RemoveLink(directory);
      continue;
    }
    const Win32Error error = platform_.files.RemoveDirectory(directory);
    if (error == kErrorSuccess) {
      log_.Write("Removed: %s", directory.c_str());
      continue;
    }
    if (error != kErrorDirNotEmpty) {
      Fail("the directory", directory, error);
      continue;
    }
    // What keeps it: files the product did not install (the user's own), files that changed,
    // or only what goes once this program has ended.
    bool onlyPending = true;
    for (const FindData& entry : platform_.files.ListDirectory(directory)) {
      const std::string path = directory + "\\" + entry.name;
      if (!deferredProgram_.empty() && SamePath(path, deferredProgram_)) continue;
      if (isIn(pending, path)) continue;
      onlyPending = false;
      // A directory of our own that stayed has its contents listed already.
      if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && isIn(directories, path)) continue;
      const bool listed =
          std::any_of(leftovers_.begin(), leftovers_.end(),
                      [&](const Leftover& left) { return SamePath(left.path, path); });
      if (listed) continue;
      log_.Write("Not installed by this product, stays: %s", path.c_str());
      Leave(path, LeftReason::kForeign);
    }
    if (onlyPending && !deferredProgram_.empty()) {
      pending.push_back(directory);
      remover_.RemoveDirectoryLater(directory);
      log_.Write("Removed once this program has ended: %s", directory.c_str());
    } else if (onlyPending) {
      Fail("the directory", directory, error);
    }
  }
}

}  // namespace setup
