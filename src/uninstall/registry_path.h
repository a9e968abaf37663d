// A script line's registry path taken apart the way the installer's registry walk reaches it,
// and the keys the uninstaller must never remove.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace setup {

struct RegistryPath {
  RegKey root = 0;
  std::string rootName;           // as the script wrote it
  std::vector<std::string> keys;  // one entry per key level below the root
  std::string valueName;          // empty: the key's default value
};

// The key levels the installer created for `keyPath`: the components between the first and
// the last separator, each split again at backslashes (the registry's own level separator), and
// empty names dropped (they name the same key again). Nothing when the installer could not have
// written the value: no separator, or a root none of the four.
[[nodiscard]] std::optional<RegistryPath> SplitRegistryPath(const std::string& keyPath,
                                                            char separator);

// The product's own key: HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall
// followed by the product's name; answers the name when `path` lies in such a key.
[[nodiscard]] std::optional<std::string> UninstallKeyName(const RegistryPath& path);

// Whether the uninstaller may remove the key made of the first `depth` levels of `path`: never a
// root, never Software itself, never Software\Microsoft or a key below it other than the
// product's own Uninstall\`productName`.
[[nodiscard]] bool IsRemovableKey(const RegistryPath& path, std::size_t depth,
                                  const std::string& productName);

// The path as one text with backslashes, for messages: ROOT\key\...\value.
[[nodiscard]] std::string RegistryPathText(const RegistryPath& path, std::size_t depth,
                                           bool withValue);

}  // namespace setup
