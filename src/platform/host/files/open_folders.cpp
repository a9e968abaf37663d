// The machine folder's directories that a run has reached, held open.
#include "platform/host/files/open_folders.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

namespace setup {

std::shared_ptr<const OpenFolder> OpenFolders::Find(const std::string& key) {
  const auto found = folders_.find(key);
  if (found == folders_.end()) return nullptr;
  found->second.used = ++clock_;
  return found->second.folder;
}

void OpenFolders::Keep(const std::string& key, std::shared_ptr<const OpenFolder> folder) {
  if (limit_ == 0) return;
  if (folders_.size() >= limit_ && folders_.find(key) == folders_.end()) DropLeastRecentlyUsed();
  folders_[key] = Kept{std::move(folder), ++clock_};
}

void OpenFolders::DropLeastRecentlyUsed() {
  // A quarter at a time, so that a walk through many folders drops seldom.
  const std::size_t drop = std::max<std::size_t>(1, limit_ / 4);
  for (std::size_t i = 0; i < drop && !folders_.empty(); ++i) {
    const auto oldest = std::min_element(folders_.begin(), folders_.end(), [](const auto& a, const auto& b) {
      return a.second.used < b.second.used;
    });
    folders_.erase(oldest);
  }
}

std::shared_ptr<const OpenFolder> OpenFolderAt(int dir, const std::string& name,
                                               std::string native, bool followLink) {
  // O_PATH: a folder the user may search but not list is reached as it was by its path.
  const int flags = O_PATH | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
  auto folder = std::make_shared<OpenFolder>();
  folder->fd = ScopedFd(::openat(dir, name.c_str(), flags));
  if (folder->fd.get() < 0) return nullptr;
  struct stat info {};
  if (::fstat(folder->fd.get(), &info) != 0 || !S_ISDIR(info.st_mode)) return nullptr;
  folder->native = std::move(native);
  folder->id = DirectoryId{static_cast<std::uint64_t>(info.st_dev),
                           static_cast<std::uint64_t>(info.st_ino)};
  return folder;
}

}  // namespace setup
