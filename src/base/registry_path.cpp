// Taking registry paths apart and the protected keys.
#include "base/registry_path.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/ascii_case.h"

namespace setup {

RegKey FindRootKey(std::string_view name) {
  for (const RootKeyName& root : kRootKeyNames) {
    if (EqualsIgnoringAsciiCase(name, root.name)) return root.key;
  }
  return 0;
}

const char* RootKeyNameOf(RegKey root) {
  for (const RootKeyName& name : kRootKeyNames) {
    if (name.key == root) return name.name;
  }
  return "";
}

std::optional<RegistryWalk> ParseRegistryPath(std::string_view keyPath, char separator) {
  const std::size_t first = keyPath.find(separator);
  if (first == std::string_view::npos) return std::nullopt;
  RegistryWalk walk;
  walk.rootName = std::string(keyPath.substr(0, first));
  walk.root = FindRootKey(walk.rootName);
  if (walk.root == 0) return std::nullopt;
  std::string_view rest = keyPath.substr(first + 1);
  for (std::size_t split = rest.find(separator); split != std::string_view::npos;
       split = rest.find(separator)) {
    walk.components.emplace_back(rest.substr(0, split));
    rest = rest.substr(split + 1);
  }
  walk.valueName = std::string(rest);
  return walk;
}

std::optional<RegistryPath> SplitRegistryPath(const std::string& keyPath, char separator) {
  std::optional<RegistryWalk> walk = ParseRegistryPath(keyPath, separator);
  if (!walk) return std::nullopt;
  RegistryPath path;
  path.root = walk->root;
  path.rootName = RootKeyNameOf(walk->root);
  path.valueName = std::move(walk->valueName);
  for (const std::string& component : walk->components) {
    std::size_t start = 0;
    while (start <= component.size()) {
      const std::size_t end = std::min(component.find('\\', start), component.size());
      if (end > start) path.keys.push_back(component.substr(start, end - start));
      start = end + 1;
    }
  }
  return path;
}

std::optional<std::string> UninstallKeyName(const RegistryPath& path) {
  static constexpr std::array<const char*, 5> kLevels{"Software", "Microsoft", "Windows",
                                                      "CurrentVersion", "Uninstall"};
  if (path.root != kHkeyLocalMachine || path.keys.size() != kLevels.size() + 1) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < kLevels.size(); ++i) {
    if (!EqualsIgnoringAsciiCase(path.keys[i], kLevels[i])) return std::nullopt;
  }
  return path.keys.back();
}

bool IsRemovableKey(const RegistryPath& path, std::size_t depth, const std::string& productName) {
  if (depth == 0 || depth > path.keys.size()) return false;
  if (!EqualsIgnoringAsciiCase(path.keys[0], "Software")) return true;
  if (depth == 1) return false;
  if (!EqualsIgnoringAsciiCase(path.keys[1], "Microsoft")) return true;
  if (depth != 6) return false;
  RegistryPath key = path;
  key.keys.resize(depth);
  const std::optional<std::string> name = UninstallKeyName(key);
  return name && !productName.empty() && EqualsIgnoringAsciiCase(*name, productName);
}

std::string RegistryPathText(const RegistryPath& path, std::size_t depth, bool withValue) {
  std::string text = path.rootName;
  for (std::size_t i = 0; i < depth && i < path.keys.size(); ++i) text += "\\" + path.keys[i];
  if (withValue) text += "\\" + path.valueName;
  return text;
}

}  // namespace setup
