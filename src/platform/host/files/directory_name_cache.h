// What the host has learnt of its directories' entries, to find a name in any letter case
// without reading the whole directory each time.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace setup {

// A directory as the file system knows it, whatever path reached it.
struct DirectoryId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const DirectoryId&) const = default;
};

// The id of the native directory `native`; nothing when it is not a directory (links followed).
[[nodiscard]] std::optional<DirectoryId> NativeDirectoryId(const std::string& native);

// Per directory: folded name -> the names stored under it. A directory is read once, on the
// first lookup that the exact name does not answer; from then on the cache is kept true by the
// changes its owner reports (Added, Removed, Forget). Changes made by others are not seen, which
// is why the machine folder is locked for the run; an entry that has gone all the same is
// noticed when it is found, and the directory is read again.
class DirectoryNameCache {
 public:
  // Names equal under `fold` are one name; without one, Windows-1252 letters fold.
  using Fold = std::function<std::string(std::string_view)>;
  explicit DirectoryNameCache(Fold fold = nullptr) : fold_(std::move(fold)) {}

  // The entry of `dir` (open as the descriptor `dirFd`) that `name` stands for: the exact name
  // when it exists, else the first in byte order of the names equal to it without regard to
  // case. `status` receives the entry's own status (a link's, not its target's).
  [[nodiscard]] std::optional<std::string> Find(const DirectoryId& dir, int dirFd,
                                                const std::string& name, struct stat* status);

  // Whether `dir` has been read and holds no entry equal to `name` without regard to case,
  // as far as this cache has seen (one that others made meanwhile is not known).
  [[nodiscard]] bool KnowsAbsent(const DirectoryId& dir, const std::string& name) const;

  void Added(const DirectoryId& dir, const std::string& name);
  void Removed(const DirectoryId& dir, const std::string& name);
  // Drops what is known of `dir`: it is new, or reuses the id of one that was removed.
  void Forget(const DirectoryId& dir);

 private:
  struct IdHash {
    std::size_t operator()(const DirectoryId& id) const {
      return std::hash<std::uint64_t>()(id.inode * 1000003u ^ id.device);
    }
  };
  // Folded name -> stored names in byte order (several only where Linux holds several).
  using Entries = std::unordered_map<std::string, std::vector<std::string>>;

  // The one folding the lookups use: change it here and every cached key follows.
  std::string Key(std::string_view name) const;
  Entries& Load(const DirectoryId& dir, int dirFd);

  Fold fold_;
  std::unordered_map<DirectoryId, Entries, IdHash> directories_;
};

}  // namespace setup
