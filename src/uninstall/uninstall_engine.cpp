// The removal steps, in the reverse order of the installation.
#include "uninstall/uninstall_engine.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "base/path_parts.h"
#include "base/registry_access.h"
#include "base/registry_path.h"
#include "platform/ascii_case.h"

namespace setup {
namespace {

constexpr const char* kSharedFileQuestion =
    "The system indicates that the following shared file is no longer used by any programs ... "
    "remove it?\n\n";

std::string Canonical(const std::string& path) {
  std::string text;
  for (char c : path) {
    if (c == '/') c = '\\';
    if (c == '\\' && !text.empty() && text.back() == '\\') continue;
    text += UpperAscii(c);
  }
  while (text.size() > 1 && text.back() == '\\' && !(text.size() == 3 && text[1] == ':')) {
    text.pop_back();
  }
  return text;
}

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

}  // namespace

bool SamePath(const std::string& a, const std::string& b) { return Canonical(a) == Canonical(b); }

std::string TrimDirectory(std::string directory) {
  while (directory.size() > 1 && directory.back() == '\\' &&
         !(directory.size() == 3 && directory[1] == ':')) {
    directory.pop_back();
  }
  return directory;
}

UninstallEngine::UninstallEngine(const Platform& platform, const SetupScript& script,
                                 InstallLog& log, ProgramRemover& remover, UninstallTarget target,
                                 SharedFilePolicy policy)
    : platform_(platform),
      script_(script),
      log_(log),
      remover_(remover),
      target_(std::move(target)),
      policy_(policy),
      // Formed as the installer formed it.
      setupLogPath_(target_.installDir + "\\SETUP.LOG") {
  BuildSteps();
}

bool UninstallEngine::IsOwnFile(const std::string& path) const {
  return SamePath(path, setupLogPath_) || SamePath(path, target_.scriptCopyPath) ||
         SamePath(path, target_.programPath);
}

bool UninstallEngine::IsInsideInstallDir(const std::string& path) const {
  const std::string dir = Canonical(target_.installDir);
  const std::string text = Canonical(path);
  return text.size() > dir.size() + 1 && text.compare(0, dir.size(), dir) == 0 &&
         text[dir.size()] == '\\';
}

bool UninstallEngine::Exists(const std::string& path) {
  // A name with wildcards would match something else: such a path names nothing installed.
  if (path.find_first_of("*?") != std::string::npos) return false;
  return FileExists(platform_.files, path) != 0;
}

void UninstallEngine::Leave(const std::string& path) {
  for (const std::string& left : leftovers_) {
    if (SamePath(left, path)) return;
  }
  leftovers_.push_back(path);
}

void UninstallEngine::Fail(const std::string& what, const std::string& path, Win32Error error) {
  std::string reason = GetSystemErrorText(platform_.files, error);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  log_.Write("Could not remove %s %s: %s", what.c_str(), path.c_str(), reason.c_str());
  failed_ = true;
  Leave(path);
}

bool UninstallEngine::AnythingInstalled() {
  if (ReadRegistryValue(platform_.registry, target_.product.installLocationPath,
                        target_.product.separator)) {
    return true;
  }
  for (const LinkEntry& link : script_.links) {
    if (Exists(link.linkFile)) return true;
  }
  for (const FileEntry& file : script_.files) {
    if (!IsOwnFile(file.destination) && Exists(file.destination)) return true;
  }
  return Exists(setupLogPath_);
}

void UninstallEngine::BuildSteps() {
  for (const LinkEntry& link : script_.links) {
    steps_.push_back({"Removing " + GetFileName(link.linkFile),
                      [this, &link](WindowHandle) { RemoveShortcut(link); }});
  }
  for (auto it = script_.registryEntries.rbegin(); it != script_.registryEntries.rend(); ++it) {
    const RegistryEntry& entry = *it;
    steps_.push_back(
        {"Removing registry values", [this, &entry](WindowHandle) { RemoveRegistryValue(entry); }});
  }
  steps_.push_back({"Removing registry keys", [this](WindowHandle) { RemoveEmptyKeys(); }});
  std::vector<std::string> seen;
  for (const FileEntry& file : script_.files) {
    if (GetFileExtension(file.destination) == ".dll" || IsOwnFile(file.destination)) continue;
    const bool duplicate = std::any_of(seen.begin(), seen.end(), [&](const std::string& path) {
      return SamePath(path, file.destination);
    });
    if (duplicate) continue;
    seen.push_back(file.destination);
    const std::string path = file.destination;
    steps_.push_back(
        {"Removing " + GetFileName(path), [this, path](WindowHandle) { RemoveFile(path); }});
  }
  // Every F line raised its file's count once, so each one lowers it once.
  for (const FileEntry& file : script_.files) {
    if (GetFileExtension(file.destination) != ".dll") continue;
    const std::string path = file.destination;
    steps_.push_back({"Removing " + GetFileName(path),
                      [this, path](WindowHandle owner) { ReleaseSharedFile(owner, path); }});
  }
  steps_.push_back({"Removing SETUP.LOG", [this](WindowHandle) {
                      RemoveFile(setupLogPath_);
                      RemoveFile(target_.scriptCopyPath);
                      RemoveProgram();
                    }});
  steps_.push_back({"Removing directories", [this](WindowHandle) { RemoveDirectories(); }});
}

void UninstallEngine::RemoveShortcut(const LinkEntry& link) {
  RemoveFile(link.linkFile);
  // The program group, when this left it empty; never the Programs folder itself.
  const std::size_t slash = link.linkFile.rfind('\\');
  if (slash == std::string::npos) return;
  const std::string folder = TrimDirectory(link.linkFile.substr(0, slash));
  std::string programs;
  if (platform_.shell.GetProgramsFolder(nullptr, &programs) && SamePath(programs, folder)) return;
  if (folder.size() <= 3 || !platform_.files.ListDirectory(folder).empty()) return;
  const Win32Error error = platform_.files.RemoveDirectory(folder);
  if (error == kErrorSuccess) {
    log_.Write("Removed: %s", folder.c_str());
  } else if (!IsMissing(error) && error != kErrorDirNotEmpty) {
    Fail("the folder", folder, error);
  }
}

void UninstallEngine::RemoveRegistryValue(const RegistryEntry& entry) {
  // A line whose type the installer did not know wrote nothing: the value is not ours.
  if (entry.type == RegistryType::kAbsent) return;
  const std::optional<RegistryPath> path = SplitRegistryPath(entry.keyPath, entry.separator);
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
  for (const RegistryEntry& entry : script_.registryEntries) {
    if (entry.type == RegistryType::kAbsent) continue;
    std::optional<RegistryPath> path = SplitRegistryPath(entry.keyPath, entry.separator);
    if (!path) continue;
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

void UninstallEngine::RemoveFile(const std::string& path) {
  if (!Exists(path)) {
    log_.Write("Not found: %s", path.c_str());
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

void UninstallEngine::ReleaseSharedFile(WindowHandle owner, const std::string& path) {
  Registry& registry = platform_.registry;
  const std::int32_t count = GetSharedDllCount(registry, path);
  if (count < 0) {
    log_.Write("No count is stored for the shared file %s: it stays", path.c_str());
    if (Exists(path)) Leave(path);
    return;
  }
  if (count > 1) {
    if (SetSharedDllCount(registry, path, count - 1) == 0) {
      Fail("one use of the shared file", path, kErrorCantWrite);
      return;
    }
    log_.Write("The shared file %s is still used (count %d): it stays", path.c_str(), count - 1);
    return;
  }
  // The last use: the count goes, and the file only when nobody wants to keep it.
  RegistryPath shared{kHkeyLocalMachine,
                      "HKEY_LOCAL_MACHINE",
                      {"Software", "Microsoft", "Windows", "CurrentVersion", "SharedDLLs"},
                      path};
  Win32Error error = kErrorSuccess;
  const std::optional<RegKey> key = OpenLevels(registry, shared, shared.keys.size(), &error);
  if (key) {
    ScopedRegKey open(registry, *key);
    error = registry.DeleteValue(*key, path);
  }
  if (error != kErrorSuccess && !IsMissing(error)) {
    Fail("the count of the shared file", path, error);
    return;
  }
  log_.Write("Removed the count of the shared file %s", path.c_str());
  if (!Exists(path)) return;
  bool remove = policy_ == SharedFilePolicy::kRemove;
  if (policy_ == SharedFilePolicy::kAsk) {
    const std::string caption = platform_.windows.ApplicationTitle();
    remove = platform_.windows.MessageBox(owner, kSharedFileQuestion + path, caption.c_str(),
                                          MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
  }
  if (!remove) {
    log_.Write("The shared file %s is no longer used and stays", path.c_str());
    Leave(path);
    return;
  }
  RemoveFile(path);
}

void UninstallEngine::RemoveProgram() {
  if (!Exists(target_.programPath)) return;
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

void UninstallEngine::RemoveDirectories() {
  // The directories of the files inside the installation directory, up to it; nothing outside
  // it (the system directory of a shared file, for one) is ever removed.
  std::vector<std::string> directories;
  auto add = [&](const std::string& directory) {
    const bool seen =
        std::any_of(directories.begin(), directories.end(),
                    [&](const std::string& known) { return SamePath(known, directory); });
    if (!seen) directories.push_back(directory);
  };
  const std::string installDir = TrimDirectory(target_.installDir);
  std::vector<std::string> paths;
  for (const FileEntry& file : script_.files) paths.push_back(file.destination);
  paths.push_back(setupLogPath_);
  for (const std::string& path : paths) {
    if (!IsInsideInstallDir(path)) continue;
    std::string directory = path;
    while (true) {
      const std::size_t slash = directory.rfind('\\');
      if (slash == std::string::npos) break;
      directory = TrimDirectory(directory.substr(0, slash));
      if (Canonical(directory).size() < Canonical(installDir).size()) break;
      add(directory);
      if (SamePath(directory, installDir)) break;
    }
  }
  std::stable_sort(directories.begin(), directories.end(),
                   [](const std::string& a, const std::string& b) {
                     return Depth(Canonical(a)) > Depth(Canonical(b));
                   });

  std::vector<std::string> pending;  // removed only after the program has ended
  auto isIn = [](const std::vector<std::string>& list, const std::string& path) {
    return std::any_of(list.begin(), list.end(),
                       [&](const std::string& known) { return SamePath(known, path); });
  };
  for (const std::string& directory : directories) {
    if (!Exists(directory)) continue;
    const Win32Error error = platform_.files.RemoveDirectory(directory);
    if (error == kErrorSuccess) {
      log_.Write("Removed: %s", directory.c_str());
      continue;
    }
    if (error != kErrorDirNotEmpty) {
      Fail("the directory", directory, error);
      continue;
    }
    // What keeps it: files the script did not install (the user's own, Backup), or only what
    // goes once this program has ended.
    bool onlyPending = true;
    for (const FindData& entry : platform_.files.ListDirectory(directory)) {
      const std::string path = directory + "\\" + entry.name;
      if (!deferredProgram_.empty() && SamePath(path, deferredProgram_)) continue;
      if (isIn(pending, path)) continue;
      onlyPending = false;
      // A directory of our own that stayed has its contents listed already.
      if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && isIn(directories, path)) continue;
      log_.Write("Not installed by this product, stays: %s", path.c_str());
      Leave(path);
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
