// Taking registry paths apart and the protected keys.
#include "uninstall/registry_path.h"

#include <array>
#include <cctype>
#include <utility>

#include "platform/ascii_case.h"

namespace setup {

std::optional<RegistryPath> SplitRegistryPath(const std::string& keyPath, char separator) {
  const std::size_t first = keyPath.find(separator);
  if (first == std::string::npos) return std::nullopt;
  const std::size_t last = keyPath.rfind(separator);
  RegistryPath path;
  path.rootName = keyPath.substr(0, first);
  static constexpr std::array<std::pair<const char*, RegKey>, 4> kRoots{{
      {"HKEY_CLASSES_ROOT", kHkeyClassesRoot},
      {"HKEY_CURRENT_USER", kHkeyCurrentUser},
      {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine},
      {"HKEY_USERS", kHkeyUsers},
  }};
  for (const auto& [name, key] : kRoots) {
    if (EqualsIgnoringAsciiCase(path.rootName, name)) {
      path.root = key;
      path.rootName = name;
      break;
    }
  }
  if (path.root == 0) return std::nullopt;
  path.valueName = keyPath.substr(last + 1);
  std::string level;
  auto endLevel = [&] {
    if (!level.empty()) path.keys.push_back(level);
    level.clear();
  };
  for (std::size_t i = first + 1; i < last; ++i) {
    const char c = keyPath[i];
    if (c == separator || c == '\\') {
      endLevel();
    } else {
      level += c;
    }
  }
  endLevel();
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
