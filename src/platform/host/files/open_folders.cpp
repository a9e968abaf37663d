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
  // A quarter at a time, so that a walk through many folders seldom has to look for the oldest.
  const std::size_t drop = std::max<std::size_t>(1, limit_ / 4);
  for (std::size_t i = 0; i < drop && !folders_.empty(); ++i) {
    folders_.erase(std::min_element(
        folders_.begin(), folders_.end(),
        [](const auto& a, const auto& b) { return a.second.used < b.second.used; }));
  }
}

std::shared_ptr<OpenFolder> OpenFolderAt(int dir, const std::string& name, std::string native,
                                         bool followLink) {
  // O_PATH: a folder the user may search but not list is reached as its path reached it.
  const int flags = O_PATH | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
  ScopedFd fd(::openat(dir, name.c_str(), flags));
  if (fd.get() < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISDIR(info.st_mode)) return nullptr;
  return std::make_shared<OpenFolder>(fd.Release(), std::move(native),
                                      DirectoryId{static_cast<std::uint64_t>(info.st_dev),
                                                  static_cast<std::uint64_t>(info.st_ino)});
}

}  // namespace setup
