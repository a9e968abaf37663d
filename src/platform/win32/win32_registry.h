// The real Windows registry through the advapi32 key and value calls.
#pragma once

#include "platform/registry.h"

namespace setup {

class Win32Registry final : public Registry {
 public:
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
  Win32Error FlushKey(RegKey key) override;
};

}  // namespace setup
