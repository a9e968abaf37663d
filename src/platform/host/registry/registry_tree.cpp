// The host registry held in memory: keys with values under the four predefined roots.
#include "platform/host/registry/registry_tree.h"

#include <algorithm>

#include "platform/host/files/windows_path.h"

namespace setup {

namespace {

constexpr std::array<const char*, RegistryTree::kRootCount> kRootNames = {
    "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS"};

}  // namespace

RegistryKeyNode* RegistryKeyNode::FindSubkey(std::string_view subkey) {
  for (RegistryKeyNode& node : subkeys) {
    if (EqualsIgnoreCase(node.name, subkey)) return &node;
  }
  return nullptr;
}

const RegistryKeyNode* RegistryKeyNode::FindSubkey(std::string_view subkey) const {
  return const_cast<RegistryKeyNode*>(this)->FindSubkey(subkey);
}

RegistryKeyNode& RegistryKeyNode::AddSubkey(std::string_view subkey) {
  if (RegistryKeyNode* existing = FindSubkey(subkey)) return *existing;
  subkeys.push_back(RegistryKeyNode{std::string(subkey), {}, {}});
  return subkeys.back();
}

bool RegistryKeyNode::RemoveSubkey(std::string_view subkey) {
  const auto it = std::find_if(subkeys.begin(), subkeys.end(), [&](const RegistryKeyNode& node) {
    return EqualsIgnoreCase(node.name, subkey);
  });
  if (it == subkeys.end()) return false;
  subkeys.erase(it);
  return true;
}

const RegistryValue* RegistryKeyNode::FindValue(std::string_view value) const {
  for (const RegistryValue& entry : values) {
    if (EqualsIgnoreCase(entry.name, value)) return &entry;
  }
  return nullptr;
}

void RegistryKeyNode::SetValue(std::string_view value, std::uint32_t type,
                               std::vector<std::uint8_t> data) {
  for (RegistryValue& entry : values) {
    if (EqualsIgnoreCase(entry.name, value)) {
      entry.type = type;
      entry.data = std::move(data);
      return;
    }
  }
  values.push_back(RegistryValue{std::string(value), type, std::move(data)});
}

bool RegistryKeyNode::RemoveValue(std::string_view value) {
  const auto it = std::find_if(values.begin(), values.end(), [&](const RegistryValue& entry) {
    return EqualsIgnoreCase(entry.name, value);
  });
  if (it == values.end()) return false;
  values.erase(it);
  return true;
}

const char* RegistryTree::RootName(int index) {
  return index >= 0 && index < kRootCount ? kRootNames[static_cast<std::size_t>(index)] : "";
}

int RegistryTree::RootIndex(std::string_view name) {
  for (int i = 0; i < kRootCount; ++i) {
    if (EqualsIgnoreCase(name, kRootNames[static_cast<std::size_t>(i)])) return i;
  }
  return -1;
}

int RegistryTree::RootIndex(RegKey key) {
  return IsPredefinedKey(key) ? static_cast<int>(key - kHkeyClassesRoot) : -1;
}

RegistryKeyNode* RegistryTree::Find(int root, const std::vector<std::string>& path) {
  RegistryKeyNode* node = &roots_[static_cast<std::size_t>(root)];
  for (const std::string& name : path) {
    node = node->FindSubkey(name);
    if (node == nullptr) return nullptr;
  }
  return node;
}

RegistryKeyNode& RegistryTree::Create(int root, const std::vector<std::string>& path,
                                      bool* created) {
  RegistryKeyNode* node = &roots_[static_cast<std::size_t>(root)];
  bool anyNew = false;
  for (const std::string& name : path) {
    RegistryKeyNode* next = node->FindSubkey(name);
    if (next == nullptr) {
      next = &node->AddSubkey(name);
      anyNew = true;
    }
    node = next;
  }
  if (created != nullptr) *created = anyNew;
  return *node;
}

}  // namespace setup
