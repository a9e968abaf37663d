// The machine folder's directories that a run has reached, held open so that every file in one
// of them is found and made relative to it instead of through its whole path again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include "platform/host/files/directory_name_cache.h"
#include "platform/host/scoped_fd.h"

namespace setup {

// A directory reached through checked components (no link leading out on the way), held by its
// descriptor: a component swapped for a link later does not change where it leads.
struct OpenFolder {
  OpenFolder(int descriptor, std::string path, DirectoryId directory)
      : fd(descriptor), native(std::move(path)), id(directory) {}
  ScopedFd fd;
  std::string native;  // the path it was reached by, for the link checks and listings
  DirectoryId id;
  // Reached as an entry `name` of the folder `parentId`, not through a link (else unset).
  std::optional<DirectoryId> parentId;
  std::string name;
};

// The folders by the path they were reached by (the names as asked for, before any case
// lookup). Bounded: when full, the least recently used go. Whoever holds a folder keeps it open
// while using it, whatever is forgotten meanwhile.
class OpenFolders {
 public:
  explicit OpenFolders(std::size_t limit = 64) : limit_(limit) {}

  [[nodiscard]] std::shared_ptr<const OpenFolder> Find(const std::string& key);
  void Keep(const std::string& key, std::shared_ptr<const OpenFolder> folder);
  // A directory or a link was moved or removed: a path kept may now lead elsewhere.
  void ForgetAll() { folders_.clear(); }
  [[nodiscard]] std::size_t size() const { return folders_.size(); }

 private:
  struct Kept {
    std::shared_ptr<const OpenFolder> folder;
    std::uint64_t used = 0;
  };
  void DropLeastRecentlyUsed();

  std::size_t limit_;
  std::uint64_t clock_ = 0;
  std::unordered_map<std::string, Kept> folders_;
};

// Opens `name` in the open directory `dir` (AT_FDCWD: a plain path) as a folder, without
// following a link there unless `followLink`; nothing when it is not a directory.
[[nodiscard]] std::shared_ptr<OpenFolder> OpenFolderAt(int dir, const std::string& name,
                                                       std::string native, bool followLink);

}  // namespace setup
