// An in-memory registry with Windows semantics, for tests that must not touch a real registry.
#include "support/fake_registry.h"

#include <algorithm>
#include <cstring>

#include "platform/ascii_case.h"

namespace setup::testing {

namespace {

std::vector<std::string> SplitLevels(const std::string& subkey) {
  std::vector<std::string> levels;
  std::string level;
  for (char c : subkey) {
    if (c == '\\') {
      if (!level.empty()) levels.push_back(level);
      level.clear();
    } else {
      level += c;
    }
  }
  if (!level.empty()) levels.push_back(level);
  return levels;
}

}  // namespace

bool CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const {
  return LessIgnoringAsciiCase(a, b);
}

FakeRegistry::FakeRegistry() {
  for (RegKey root : {kHkeyClassesRoot, kHkeyCurrentUser, kHkeyLocalMachine, kHkeyUsers}) {
    roots_[root] = std::make_unique<Node>();
  }
}

FakeRegistry::~FakeRegistry() = default;

FakeRegistry::Node* FakeRegistry::Resolve(RegKey key) const {
  if (auto root = roots_.find(key); root != roots_.end()) return root->second.get();
  if (auto open = handles_.find(key); open != handles_.end()) return open->second;
  return nullptr;
}

Win32Error FakeRegistry::Walk(Node* node, const std::string& subkey, bool create,
                              const char* keyClass, Node** result) {
  if (!subkey.empty() && subkey[0] == '\\') return kErrorBadPathname;
  for (const std::string& level : SplitLevels(subkey)) {
    auto child = node->children.find(level);
    if (child == node->children.end()) {
      if (!create) return kErrorFileNotFound;
      auto created = std::make_unique<Node>();
      if (keyClass != nullptr) created->keyClass = keyClass;
      child = node->children.emplace(level, std::move(created)).first;
    }
    node = child->second.get();
  }
  *result = node;
  return kErrorSuccess;
}

RegKey FakeRegistry::NewHandle(Node* node) {
  const RegKey handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = node;
  return handle;
}

Win32Error FakeRegistry::OpenKey(RegKey parent, const std::string& subkey, RegKey* result) {
  ++openKeyCalls;
  return WalkToKey("OpenKey", parent, subkey, false, nullptr, result);
}

Win32Error FakeRegistry::CreateKey(RegKey parent, const std::string& subkey, const char* keyClass,
                                   RegKey* result) {
  ++createKeyCalls;
  return WalkToKey("CreateKey", parent, subkey, true, keyClass, result);
}

Win32Error FakeRegistry::WalkToKey(const char* call, RegKey parent, const std::string& subkey,
                                   bool create, const char* keyClass, RegKey* result) {
  if (fault) {
    if (Win32Error e = fault(call, subkey); e != kErrorSuccess) return e;
  }
  Node* node = Resolve(parent);
  if (node == nullptr) return kErrorInvalidHandle;
  Node* found = nullptr;
  if (Win32Error e = Walk(node, subkey, create, keyClass, &found); e != kErrorSuccess) return e;
  *result = NewHandle(found);
  return kErrorSuccess;
}

Win32Error FakeRegistry::QueryValue(RegKey key, const std::string& name, std::uint8_t* data,
                                    std::uint32_t* size) {
  if (fault) {
    if (Win32Error e = fault("QueryValue", name); e != kErrorSuccess) return e;
  }
  Node* node = Resolve(key);
  if (node == nullptr) return kErrorInvalidHandle;
  auto value = node->values.find(name);
  if (value == node->values.end()) return kErrorFileNotFound;
  const auto needed = static_cast<std::uint32_t>(value->second.data.size());
  if (data == nullptr) {
    *size = needed;
    return kErrorSuccess;
  }
  if (*size < needed) {
    *size = needed;
    return kErrorMoreData;
  }
  if (needed != 0) std::memcpy(data, value->second.data.data(), needed);
  *size = needed;
  return kErrorSuccess;
}

Win32Error FakeRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                                  const std::uint8_t* data, std::uint32_t size) {
  if (fault) {
    if (Win32Error e = fault("SetValue", name); e != kErrorSuccess) return e;
  }
  Node* node = Resolve(key);
  if (node == nullptr) return kErrorInvalidHandle;
  FakeRegistryValue value;
  value.type = type;
  if (size != 0) value.data.assign(data, data + size);
  // Keep the case the value was first created with, as the registry does.
  auto existing = node->values.find(name);
  if (existing != node->values.end()) {
    existing->second = std::move(value);
  } else {
    node->values.emplace(name, std::move(value));
  }
  return kErrorSuccess;
}

Win32Error FakeRegistry::ResolveLive(const char* call, RegKey key, const std::string& name,
                                     Node** node) {
  if (fault) {
    if (Win32Error e = fault(call, name); e != kErrorSuccess) return e;
  }
  *node = Resolve(key);
  if (*node == nullptr) return kErrorInvalidHandle;
  return (*node)->deleted ? kErrorKeyDeleted : kErrorSuccess;
}

Win32Error FakeRegistry::DeleteValue(RegKey key, const std::string& name) {
  Node* node = nullptr;
  if (Win32Error e = ResolveLive("DeleteValue", key, name, &node); e != kErrorSuccess) return e;
  return node->values.erase(name) != 0 ? kErrorSuccess : kErrorFileNotFound;
}

Win32Error FakeRegistry::DeleteKey(RegKey parent, const std::string& subkey) {
  Node* node = nullptr;
  if (Win32Error e = ResolveLive("DeleteKey", parent, subkey, &node); e != kErrorSuccess) return e;
  std::vector<std::string> levels = SplitLevels(subkey);
  // A root, or the key itself through an empty name, is not removed here.
  if (levels.empty()) return kErrorAccessDenied;
  const std::string leaf = levels.back();
  levels.pop_back();
  for (const std::string& level : levels) {
    auto child = node->children.find(level);
    if (child == node->children.end()) return kErrorFileNotFound;
    node = child->second.get();
  }
  auto child = node->children.find(leaf);
  if (child == node->children.end()) return kErrorFileNotFound;
  if (!child->second->children.empty()) return kErrorAccessDenied;
  child->second->deleted = true;
  deleted_.push_back(std::move(child->second));
  node->children.erase(child);
  return kErrorSuccess;
}

Win32Error FakeRegistry::QueryInfoKey(RegKey key, std::uint32_t* subkeys, std::uint32_t* values) {
  if (subkeys == nullptr || values == nullptr) return kErrorInvalidParameter;
  Node* node = nullptr;
  if (Win32Error e = ResolveLive("QueryInfoKey", key, "", &node); e != kErrorSuccess) return e;
  *subkeys = static_cast<std::uint32_t>(node->children.size());
  *values = static_cast<std::uint32_t>(node->values.size());
  return kErrorSuccess;
}

void FakeRegistry::CloseKey(RegKey key) { handles_.erase(key); }

void FakeRegistry::Put(RegKey root, const std::string& keyPath, const std::string& name,
                       std::uint32_t type, const std::vector<std::uint8_t>& data) {
  Node* node = nullptr;
  if (Walk(roots_.at(root).get(), keyPath, true, nullptr, &node) != kErrorSuccess) return;
  node->values[name] = FakeRegistryValue{type, data};
}

void FakeRegistry::PutString(RegKey root, const std::string& keyPath, const std::string& name,
                             const std::string& text) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  Put(root, keyPath, name, REG_SZ, data);
}

void FakeRegistry::PutDword(RegKey root, const std::string& keyPath, const std::string& name,
                            std::uint32_t value) {
  Put(root, keyPath, name, REG_DWORD,
      {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
       static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

std::optional<FakeRegistryValue> FakeRegistry::Get(RegKey root, const std::string& keyPath,
                                                   const std::string& name) const {
  Node* node = nullptr;
  if (Walk(roots_.at(root).get(), keyPath, false, nullptr, &node) != kErrorSuccess) {
    return std::nullopt;
  }
  auto value = node->values.find(name);
  if (value == node->values.end()) return std::nullopt;
  return value->second;
}

bool FakeRegistry::HasKey(RegKey root, const std::string& keyPath) const {
  Node* node = nullptr;
  return Walk(roots_.at(root).get(), keyPath, false, nullptr, &node) == kErrorSuccess;
}

std::string FakeRegistry::KeyClass(RegKey root, const std::string& keyPath) const {
  Node* node = nullptr;
  if (Walk(roots_.at(root).get(), keyPath, false, nullptr, &node) != kErrorSuccess) return "";
  return node->keyClass;
}

}  // namespace setup::testing
