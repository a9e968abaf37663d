// The removal's last step, marked on the disk while it runs.
#include "uninstall/ended_removal.h"

#include <algorithm>
#include <vector>

#include "base/installation_record.h"
#include "base/installation_record_store.h"
#include "base/registry_path.h"
#include "script/product_record.h"

namespace setup {
namespace {

std::vector<std::string> Leftovers(const std::string& programDir, const std::string& programPath) {
  return {programPath, programDir + "\\" + kUninstallScriptName, EndedRemovalMarkPath(programDir),
          RecordSidePath(programDir)};
}

bool HoldsOnly(FileSystem& files, const std::string& directory,
               const std::vector<std::string>& leftovers) {
  for (const FindData& entry : files.ListDirectory(directory)) {
    const std::string path = directory + "\\" + entry.name;
    if ((entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return false;
    if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      if (!HoldsOnly(files, path, leftovers)) return false;
      continue;
    }
    const bool listed =
        std::any_of(leftovers.begin(), leftovers.end(),
                    [&](const std::string& left) { return SameWindowsPath(left, path); });
    if (!listed) return false;
  }
  return true;
}

// Deepest first; checked to hold nothing but leftovers beforehand.
bool RemoveEmptyFolders(FileSystem& files, const std::string& directory) {
  bool removed = true;
  for (const FindData& entry : files.ListDirectory(directory)) {
    if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
    const std::string path = directory + "\\" + entry.name;
    removed =
        RemoveEmptyFolders(files, path) && files.RemoveDirectory(path) == kErrorSuccess && removed;
  }
  return removed;
}

bool RemoveIfThere(FileSystem& files, const std::string& path) {
  const Win32Error error = files.DeleteFile(path);
  return error == kErrorSuccess || error == kErrorFileNotFound || error == kErrorPathNotFound;
}

// The key a kill left between its last value and itself.
bool RemoveEmptyProductKey(Registry& registry, const std::string& product) {
  const std::optional<RegistryPath> path =
      SplitRegistryPath(ProductUninstallKey(product) + "\\", '\\');
  if (!path || path->keys.empty()) return true;
  RegKey current = path->root;
  for (std::size_t i = 0; i + 1 < path->keys.size(); ++i) {
    ScopedRegKey parent(registry, current);
    RegKey next = 0;
    if (registry.OpenKey(current, path->keys[i], &next) != kErrorSuccess) return true;
    current = next;
  }
  ScopedRegKey parent(registry, current);
  RegKey key = 0;
  if (registry.OpenKey(current, path->keys.back(), &key) != kErrorSuccess) return true;
  std::uint32_t subkeys = 0;
  std::uint32_t values = 0;
  Win32Error error = kErrorSuccess;
  {
    ScopedRegKey open(registry, key);
    error = registry.QueryInfoKey(key, &subkeys, &values);
  }
  if (error != kErrorSuccess || subkeys != 0 || values != 0) return true;
  return registry.DeleteKey(current, path->keys.back()) == kErrorSuccess;
}

}  // namespace

std::string EndedRemovalMarkPath(const std::string& programDir) {
  return programDir + "\\" + kEndedRemovalMarkName;
}

bool IsEndedRemoval(FileSystem& files, const std::string& programDir,
                    const std::string& programPath) {
  const std::optional<FindData> mark = files.FindFirstFile(EndedRemovalMarkPath(programDir));
  if (!mark ||
      (mark->attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    return false;
  }
  return HoldsOnly(files, programDir, Leftovers(programDir, programPath));
}

bool FinishEndedRemoval(FileSystem& files, Registry& registry, ProgramRemover& remover,
                        const std::string& programDir, const std::string& programPath,
                        const std::optional<std::string>& product) {
  bool finished = !product || RemoveEmptyProductKey(registry, *product);
  finished = RemoveEmptyFolders(files, programDir) && finished;
  // The mark goes last but for the uninstaller: until then a rerun finishes from here again.
  for (const std::string& path : Leftovers(programDir, programPath)) {
    if (path != programPath && path != EndedRemovalMarkPath(programDir)) {
      finished = RemoveIfThere(files, path) && finished;
    }
  }
  finished = RemoveIfThere(files, EndedRemovalMarkPath(programDir)) && finished;
  bool deferred = false;
  if (remover.RemoveProgram(programPath, &deferred) != kErrorSuccess) return false;
  if (deferred) {
    remover.RemoveDirectoryLater(programDir);
    return finished;
  }
  return files.RemoveDirectory(programDir) == kErrorSuccess && finished;
}

}  // namespace setup
