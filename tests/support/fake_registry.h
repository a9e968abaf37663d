// An in-memory registry with Windows semantics, for tests that must not touch a real registry.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace setup::testing {

// Orders texts as the registry compares names: without regard to ASCII letter case.
struct CaseInsensitiveLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

struct FakeRegistryValue {
  std::uint32_t type = REG_NONE;
  std::vector<std::uint8_t> data;
};

// Behaves as the advapi32 calls do:
// - the four predefined roots always exist and can hold values themselves;
// - a subkey text may name several levels separated by '\'; an empty subkey opens the same key
//   again (a new handle); a subkey starting with '\' is kErrorBadPathname;
// - OpenKey of a missing key is kErrorFileNotFound; CreateKey creates every missing level;
// - QueryValue: kErrorFileNotFound when absent; null `data` asks the size; a too small buffer
//   gives kErrorMoreData with *size set to the size needed and nothing copied;
// - an unknown or closed handle is kErrorInvalidHandle; a handle to a key deleted since it was
//   opened answers kErrorKeyDeleted;
// - DeleteKey refuses a key with subkeys (kErrorAccessDenied), as RegDeleteKeyA does.
// Every handle is counted until closed, so tests can prove that no key was left open.
class FakeRegistry : public Registry {
 public:
  FakeRegistry();
  ~FakeRegistry() override;

  Win32Error OpenKey(RegKey parent, const std::string& subkey, RegKey* result) override;
  Win32Error CreateKey(RegKey parent, const std::string& subkey, const char* keyClass,
                       RegKey* result) override;
  Win32Error QueryValue(RegKey key, const std::string& name, std::uint8_t* data,
                        std::uint32_t* size) override;
  Win32Error SetValue(RegKey key, const std::string& name, std::uint32_t type,
                      const std::uint8_t* data, std::uint32_t size) override;
  Win32Error DeleteValue(RegKey key, const std::string& name) override;
  Win32Error DeleteKey(RegKey parent, const std::string& subkey) override;
  Win32Error QueryInfoKey(RegKey key, std::uint32_t* subkeys, std::uint32_t* values) override;
  void CloseKey(RegKey key) override;
  // Changes are never lost: nothing waits.
  Win32Error FlushKey(RegKey) override { return kErrorSuccess; }

  // Fault injection: called before every operation with its name ("OpenKey", "CreateKey",
  // "QueryValue", "SetValue", "DeleteValue", "DeleteKey") and the subkey or value name; a nonzero
  // answer fails the call with that error and changes nothing.
  std::function<Win32Error(const std::string& operation, const std::string& name)> fault;

  // Handles opened or created and not yet closed.
  int OpenHandleCount() const { return static_cast<int>(handles_.size()); }
  // Calls of each operation so far.
  int openKeyCalls = 0;
  int createKeyCalls = 0;

  // Direct access for arranging and checking a test. `keyPath` separates levels with '\'.
  void Put(RegKey root, const std::string& keyPath, const std::string& name, std::uint32_t type,
           const std::vector<std::uint8_t>& data);
  void PutString(RegKey root, const std::string& keyPath, const std::string& name,
                 const std::string& text);  // REG_SZ with its terminating zero
  void PutDword(RegKey root, const std::string& keyPath, const std::string& name,
                std::uint32_t value);
  std::optional<FakeRegistryValue> Get(RegKey root, const std::string& keyPath,
                                       const std::string& name) const;
  bool HasKey(RegKey root, const std::string& keyPath) const;
  // The class text given when the key was created; empty when none.
  std::string KeyClass(RegKey root, const std::string& keyPath) const;

 private:
  struct Node {
    std::string keyClass;
    std::map<std::string, std::unique_ptr<Node>, CaseInsensitiveLess> children;
    std::map<std::string, FakeRegistryValue, CaseInsensitiveLess> values;
    bool deleted = false;
  };

  Node* Resolve(RegKey key) const;
  // Resolve for a call on the key's own contents: kErrorInvalidHandle or kErrorKeyDeleted.
  Win32Error ResolveLive(const char* call, RegKey key, const std::string& name, Node** node);
  // Follows `subkey` from `node`; creates missing levels when `create` is set.
  static Win32Error Walk(Node* node, const std::string& subkey, bool create, const char* keyClass,
                         Node** result);
  RegKey NewHandle(Node* node);
  // Opens or creates (`create`) the key, after the fault hook has had its say on `call`.
  Win32Error WalkToKey(const char* call, RegKey parent, const std::string& subkey, bool create,
                       const char* keyClass, RegKey* result);

  std::map<RegKey, std::unique_ptr<Node>> roots_;
  std::map<RegKey, Node*> handles_;
  // Deleted keys stay here while handles may still point at them.
  std::vector<std::unique_ptr<Node>> deleted_;
  RegKey nextHandle_ = 0x1000;
};

}  // namespace setup::testing
