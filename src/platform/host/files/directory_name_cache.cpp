// What the host has learnt of its directories' entries, to find a name in any letter case
// without reading the whole directory each time.
#include "platform/host/files/directory_name_cache.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/host/files/native_file_ops.h"
#include "platform/host/files/windows_path.h"

namespace setup {

std::optional<DirectoryId> NativeDirectoryId(const std::string& native) {
  struct stat info {};
  if (::stat(native.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
  return DirectoryId{static_cast<std::uint64_t>(info.st_dev),
                     static_cast<std::uint64_t>(info.st_ino)};
}

std::string DirectoryNameCache::Key(std::string_view name) const {
  return fold_ ? fold_(name) : FoldCase(name);
}

DirectoryNameCache::Entries& DirectoryNameCache::Load(const DirectoryId& dir, int dirFd) {
  const auto found = directories_.find(dir);
  if (found != directories_.end()) return found->second;
  Entries& entries = directories_[dir];
  // The listing comes sorted, so every list of stored names is in byte order.
  for (std::string& name : ListNativeDirectory(dirFd, ".")) {
    entries[Key(name)].push_back(std::move(name));
  }
  return entries;
}

std::optional<std::string> DirectoryNameCache::Find(const DirectoryId& dir, int dirFd,
                                                    const std::string& name, struct stat* status) {
  if (::fstatat(dirFd, name.c_str(), status, AT_SYMLINK_NOFOLLOW) == 0) return name;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const Entries& entries = Load(dir, dirFd);
    const auto it = entries.find(Key(name));
    if (it == entries.end()) return std::nullopt;
    const std::string& stored = it->second.front();
    if (::fstatat(dirFd, stored.c_str(), status, AT_SYMLINK_NOFOLLOW) == 0) return stored;
    Forget(dir);  // removed behind our back: read the directory again
  }
  return std::nullopt;
}

bool DirectoryNameCache::KnowsAbsent(const DirectoryId& dir, const std::string& name) const {
  const auto found = directories_.find(dir);
  return found != directories_.end() && found->second.find(Key(name)) == found->second.end();
}

void DirectoryNameCache::Added(const DirectoryId& dir, const std::string& name) {
  const auto found = directories_.find(dir);
  if (found == directories_.end()) return;  // read in full when first needed
  std::vector<std::string>& names = found->second[Key(name)];
  const auto at = std::lower_bound(names.begin(), names.end(), name);
  if (at == names.end() || *at != name) names.insert(at, name);
}

void DirectoryNameCache::Removed(const DirectoryId& dir, const std::string& name) {
  const auto found = directories_.find(dir);
  if (found == directories_.end()) return;
  const auto it = found->second.find(Key(name));
  if (it == found->second.end()) return;
  std::erase(it->second, name);
  if (it->second.empty()) found->second.erase(it);
}

void DirectoryNameCache::Forget(const DirectoryId& dir) { directories_.erase(dir); }

}  // namespace setup
