// The host registry held in memory: keys with values under the four predefined roots.
#include "platform/host/registry/registry_tree.h"

#include <algorithm>
#include <cstddef>

#include "platform/host/files/windows_path.h"

namespace setup {

// The tree's roots are kept in the order of the one table of root names.
static_assert(kRootKeyNames.size() == RegistryTree::kRootCount);
static_assert(kRootKeyNames[0].key == kHkeyClassesRoot && kRootKeyNames[3].key == kHkeyUsers);

namespace {

// Rebuilds `index` over `list` when it no longer covers the list; the first of equal names wins,
// as a scan would find it.
template <typename List>
void EnsureIndexed(const List& list, std::unordered_map<std::string, std::size_t>* index,
                   std::size_t* indexed) {
  if (*indexed == list.size()) return;
  index->clear();
  index->reserve(list.size());
  for (std::size_t i = 0; i < list.size(); ++i) index->emplace(FoldCase(list[i].name), i);
  *indexed = list.size();
}

// Removes the item at `at`; false when `at` is the end (nothing found).
template <typename Item>
bool EraseAt(std::vector<Item>& items, std::size_t at) {
  if (at == items.size()) return false;
  items.erase(items.begin() + static_cast<std::ptrdiff_t>(at));
  return true;
}

// The position `name` has in `list`, list.size() when absent.
template <typename List>
std::size_t Lookup(const List& list, std::unordered_map<std::string, std::size_t>* index,
                   std::size_t* indexed, std::string_view name) {
  EnsureIndexed(list, index, indexed);
  const auto it = index->find(FoldCase(name));
  return it == index->end() ? list.size() : it->second;
}

}  // namespace

std::size_t RegistryKeyNode::ValuePosition(std::string_view value) const {
  return Lookup(values, &valueIndex_, &valuesIndexed_, value);
}

std::size_t RegistryKeyNode::SubkeyPosition(std::string_view subkey) const {
  return Lookup(subkeys, &subkeyIndex_, &subkeysIndexed_, subkey);
}

RegistryKeyNode* RegistryKeyNode::FindSubkey(std::string_view subkey) {
  const std::size_t at = SubkeyPosition(subkey);
  return at < subkeys.size() ? &subkeys[at] : nullptr;
}

const RegistryKeyNode* RegistryKeyNode::FindSubkey(std::string_view subkey) const {
  return const_cast<RegistryKeyNode*>(this)->FindSubkey(subkey);
}

RegistryKeyNode& RegistryKeyNode::AddSubkey(std::string_view subkey) {
  if (RegistryKeyNode* existing = FindSubkey(subkey)) return *existing;
  RegistryKeyNode node;
  node.name = std::string(subkey);
  subkeys.push_back(std::move(node));
  subkeyIndex_.emplace(FoldCase(subkey), subkeys.size() - 1);
  subkeysIndexed_ = subkeys.size();
  return subkeys.back();
}

bool RegistryKeyNode::RemoveSubkey(std::string_view subkey) {
  if (!EraseAt(subkeys, SubkeyPosition(subkey))) return false;
  subkeysIndexed_ = static_cast<std::size_t>(-1);  // positions moved: rebuild on the next lookup
  return true;
}

const RegistryValue* RegistryKeyNode::FindValue(std::string_view value) const {
  const std::size_t at = ValuePosition(value);
  return at < values.size() ? &values[at] : nullptr;
}

void RegistryKeyNode::SetValue(std::string_view value, std::uint32_t type,
                               std::vector<std::uint8_t> data) {
  const std::size_t at = ValuePosition(value);
  if (at < values.size()) {
    values[at].type = type;
    values[at].data = std::move(data);
    return;
  }
  values.push_back(RegistryValue{std::string(value), type, std::move(data)});
  valueIndex_.emplace(FoldCase(value), values.size() - 1);
  valuesIndexed_ = values.size();
}

bool RegistryKeyNode::RemoveValue(std::string_view value) {
  if (!EraseAt(values, ValuePosition(value))) return false;
  valuesIndexed_ = static_cast<std::size_t>(-1);  // positions moved: rebuild on the next lookup
  return true;
}

const char* RegistryTree::RootName(int index) {
  return index >= 0 && index < kRootCount ? kRootKeyNames[static_cast<std::size_t>(index)].name
                                          : "";
}

int RegistryTree::RootIndex(std::string_view name) {
  for (int i = 0; i < kRootCount; ++i) {
    if (EqualsIgnoreCase(name, kRootKeyNames[static_cast<std::size_t>(i)].name)) return i;
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
