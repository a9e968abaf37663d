// The registry: the advapi32 key and value calls, on the real registry or the host's store.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/win32_types.h"

namespace setup {

// An open key. The four predefined roots are fixed values, as HKEY_* are on Windows.
using RegKey = std::uintptr_t;
inline constexpr RegKey kHkeyClassesRoot = 0x80000000u;
inline constexpr RegKey kHkeyCurrentUser = 0x80000001u;
inline constexpr RegKey kHkeyLocalMachine = 0x80000002u;
inline constexpr RegKey kHkeyUsers = 0x80000003u;

// The four roots a path may name, in the order a name is looked up; the one table of their
// names for the installer, the uninstaller, the checker and the host's registry.
struct RootKeyName {
  const char* name;
  RegKey key;
};
inline constexpr std::array<RootKeyName, 4> kRootKeyNames = {
    {{"HKEY_CLASSES_ROOT", kHkeyClassesRoot},
     {"HKEY_CURRENT_USER", kHkeyCurrentUser},
     {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine},
     {"HKEY_USERS", kHkeyUsers}}};

inline constexpr bool IsPredefinedKey(RegKey key) {
  return key >= kHkeyClassesRoot && key <= kHkeyUsers;
}

// Key names and value names are compared without regard to case and keep the case they were
// created with. An empty subkey name opens (or creates) the same key again, as on Windows.
class Registry {
 public:
  virtual ~Registry() = default;

  // RegOpenKeyExA(parent, subkey, 0, KEY_READ): kErrorFileNotFound when the key is missing.
  virtual Win32Error OpenKey(RegKey parent, const std::string& subkey, RegKey* result) = 0;

  // RegCreateKeyExA(parent, subkey, 0, keyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL):
  // opens the key, creating every missing level. `keyClass` may be null.
  virtual Win32Error CreateKey(RegKey parent, const std::string& subkey, const char* keyClass,
                               RegKey* result) = 0;

  // RegQueryValueExA without the type: copies the data into `data` (which may be null to ask the
  // size) and sets *size to the data's size. kErrorFileNotFound when the value is absent,
  // kErrorMoreData when it is larger than *size (then *size is the size needed). An empty name is
  // the key's default value.
  virtual Win32Error QueryValue(RegKey key, const std::string& name, std::uint8_t* data,
                                std::uint32_t* size) = 0;

  // RegSetValueExA. Once it answers success the value is stored durably.
  virtual Win32Error SetValue(RegKey key, const std::string& name, std::uint32_t type,
                              const std::uint8_t* data, std::uint32_t size) = 0;

  // RegDeleteValueA: kErrorFileNotFound when the value is absent.
  virtual Win32Error DeleteValue(RegKey key, const std::string& name) = 0;

  // RegDeleteKeyA(parent, subkey): removes a key that has no subkeys (kErrorAccessDenied when it
  // has some); kErrorFileNotFound when it is missing.
  virtual Win32Error DeleteKey(RegKey parent, const std::string& subkey) = 0;

  // RegQueryInfoKeyA: how many subkeys and values the key holds.
  virtual Win32Error QueryInfoKey(RegKey key, std::uint32_t* subkeys, std::uint32_t* values) = 0;

  // RegCloseKey. Closing a predefined root does nothing.
  virtual void CloseKey(RegKey key) = 0;

  // RegFlushKey: every change made so far under `key`'s root is on the disk when it answers
  // success, so that a file written next may rely on it.
  virtual Win32Error FlushKey(RegKey key) = 0;
};

// Closes an open key when it goes out of scope; never closes the predefined roots.
class ScopedRegKey {
 public:
  explicit ScopedRegKey(Registry& registry, RegKey key = 0) : registry_(&registry), key_(key) {}
  ScopedRegKey(ScopedRegKey&& other) noexcept : registry_(other.registry_), key_(other.key_) {
    other.key_ = 0;
  }
  ScopedRegKey(const ScopedRegKey&) = delete;
  ScopedRegKey& operator=(const ScopedRegKey&) = delete;
  ScopedRegKey& operator=(ScopedRegKey&&) = delete;
  ~ScopedRegKey() { Reset(); }

  RegKey get() const { return key_; }
  RegKey* receive() {
    Reset();
    return &key_;
  }
  void Reset() {
    if (key_ != 0 && !IsPredefinedKey(key_)) registry_->CloseKey(key_);
    key_ = 0;
  }

 private:
  Registry* registry_;
  RegKey key_;
};

}  // namespace setup
