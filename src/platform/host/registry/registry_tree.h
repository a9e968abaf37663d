// The host registry held in memory: keys with values under the four predefined roots.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry.h"

namespace setup {

struct RegistryValue {
  std::string name;  // empty: the key's default value
  std::uint32_t type = REG_SZ;
  std::vector<std::uint8_t> data;
};

// Names are compared without regard to case and keep the case they were first given. Values and
// subkeys keep the order in which they were added. Lookups go through an index by folded name,
// so a key of many values or subkeys costs the same per lookup as a small one; the index is
// rebuilt on the next lookup whenever the lists were changed other than through these members.
struct RegistryKeyNode {
  std::string name;
  std::vector<RegistryValue> values;
  std::vector<RegistryKeyNode> subkeys;

  [[nodiscard]] RegistryKeyNode* FindSubkey(std::string_view subkey);
  [[nodiscard]] const RegistryKeyNode* FindSubkey(std::string_view subkey) const;
  RegistryKeyNode& AddSubkey(std::string_view subkey);  // the existing one when present
  bool RemoveSubkey(std::string_view subkey);

  [[nodiscard]] const RegistryValue* FindValue(std::string_view value) const;
  void SetValue(std::string_view value, std::uint32_t type, std::vector<std::uint8_t> data);
  bool RemoveValue(std::string_view value);

 private:
  using Index = std::unordered_map<std::string, std::size_t>;
  // Position by folded name; valid while `*Indexed` equals the list's size.
  mutable Index valueIndex_;
  mutable Index subkeyIndex_;
  mutable std::size_t valuesIndexed_ = 0;
  mutable std::size_t subkeysIndexed_ = 0;

  std::size_t ValuePosition(std::string_view value) const;    // values.size() when absent
  std::size_t SubkeyPosition(std::string_view subkey) const;  // subkeys.size() when absent
};

class RegistryTree {
 public:
  static constexpr int kRootCount = 4;

  // "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS".
  [[nodiscard]] static const char* RootName(int index);
  // The root's index for its name (case ignored), or -1.
  [[nodiscard]] static int RootIndex(std::string_view name);
  // The root's index for a predefined key, or -1.
  [[nodiscard]] static int RootIndex(RegKey key);

  RegistryKeyNode& root(int index) { return roots_[static_cast<std::size_t>(index)]; }
  const RegistryKeyNode& root(int index) const { return roots_[static_cast<std::size_t>(index)]; }

  // The key at `path` below a root, or null when a level is missing.
  [[nodiscard]] RegistryKeyNode* Find(int root, const std::vector<std::string>& path);
  // The key at `path`, creating missing levels; *created tells whether any level was new.
  RegistryKeyNode& Create(int root, const std::vector<std::string>& path, bool* created);

 private:
  std::array<RegistryKeyNode, kRootCount> roots_{};
};

}  // namespace setup
