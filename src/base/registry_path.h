// The grammar of a K line's registry path, read alike by the installer's walk, the uninstaller
// and the checker; and the keys the uninstaller must never remove.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace setup {

// The root key `name` stands for (letter case ignored); 0 when it names none of the four.
[[nodiscard]] RegKey FindRootKey(std::string_view name);
// The root's own name ("HKEY_LOCAL_MACHINE"); empty for a key that is not a root.
[[nodiscard]] const char* RootKeyNameOf(RegKey root);

// A path as the installer walks it: the text before the first separator names the root, each
// text between two separators is one subkey opened or created as it stands (it may hold
// backslashes or be empty), the text after the last separator is the value name.
struct RegistryWalk {
  RegKey root = 0;
  std::string rootName;                 // as the script wrote it
  std::vector<std::string> components;  // between the first and the last separator
  std::string valueName;
};

// Nothing when the installer cannot reach a value: no separator, or a root none of the four.
[[nodiscard]] std::optional<RegistryWalk> ParseRegistryPath(std::string_view keyPath,
                                                            char separator);

struct RegistryPath {
  RegKey root = 0;
  std::string rootName;           // the root's own name
  std::vector<std::string> keys;  // one entry per key level below the root
  std::string valueName;          // empty: the key's default value
};

// The key levels the installer created for `keyPath`: the walk's components, each split again
// at backslashes (the registry's own level separator), and empty names dropped (they name the
// same key again). Nothing when ParseRegistryPath gives nothing.
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
