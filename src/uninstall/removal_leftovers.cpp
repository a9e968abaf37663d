// What a removal killed in its last step leaves behind.
#include "uninstall/removal_leftovers.h"

#include <algorithm>

#include "base/installation_record.h"
#include "base/registry_path.h"

namespace setup {

bool HoldsOnlyLeftovers(FileSystem& files, const std::string& directory,
                        const std::vector<std::string>& leftovers) {
  for (const FindData& entry : files.ListDirectory(directory)) {
    const std::string path = directory + "\\" + entry.name;
    if ((entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return false;
    if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      if (!HoldsOnlyLeftovers(files, path, leftovers)) return false;
      continue;
    }
    const bool listed =
        std::any_of(leftovers.begin(), leftovers.end(),
                    [&](const std::string& left) { return SameWindowsPath(left, path); });
    if (!listed) return false;
  }
  return true;
}

bool ProductKeyHoldsAnything(Registry& registry, const std::string& product) {
  const std::optional<RegistryPath> path =
      SplitRegistryPath(ProductUninstallKey(product) + "\\", '\\');
  if (!path) return false;
  RegKey current = path->root;
  for (const std::string& level : path->keys) {
    ScopedRegKey parent(registry, current);
    RegKey next = 0;
    if (registry.OpenKey(current, level, &next) != kErrorSuccess) return false;
    current = next;
  }
  ScopedRegKey key(registry, current);
  std::uint32_t subkeys = 0;
  std::uint32_t values = 0;
  // Unreadable: as good as holding something, so that nothing is taken for a leftover.
  if (registry.QueryInfoKey(current, &subkeys, &values) != kErrorSuccess) return true;
  return subkeys != 0 || values != 0;
}

}  // namespace setup
