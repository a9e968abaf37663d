// The real Windows registry through the advapi32 key and value calls.
#include "platform/win32/win32_registry.h"

#include <vector>

#include "platform/win32/windows_headers.h"

namespace setup {
namespace {

// A RegKey is the HKEY's value. The roots are mapped by name because HKEY_* are sign-extended
// pointer constants, which differ from our unsigned values wherever a pointer is 64 bits wide.
HKEY ToHkey(RegKey key) {
  switch (key) {
    case kHkeyClassesRoot:
      return HKEY_CLASSES_ROOT;
    case kHkeyCurrentUser:
      return HKEY_CURRENT_USER;
    case kHkeyLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case kHkeyUsers:
      return HKEY_USERS;
    default:
      return reinterpret_cast<HKEY>(key);
  }
}

RegKey FromHkey(HKEY key) {
  if (key == HKEY_CLASSES_ROOT) return kHkeyClassesRoot;
  if (key == HKEY_CURRENT_USER) return kHkeyCurrentUser;
  if (key == HKEY_LOCAL_MACHINE) return kHkeyLocalMachine;
  if (key == HKEY_USERS) return kHkeyUsers;
  return reinterpret_cast<RegKey>(key);
}

}  // namespace

Win32Error Win32Registry::OpenKey(RegKey parent, const std::string& subkey, RegKey* result) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(ToHkey(parent), subkey.c_str(), 0, KEY_READ, &opened);
  if (status != ERROR_SUCCESS) return static_cast<Win32Error>(status);
  *result = FromHkey(opened);
  return kErrorSuccess;
}

Win32Error Win32Registry::CreateKey(RegKey parent, const std::string& subkey, const char* keyClass,
                                    RegKey* result) {
  HKEY created = nullptr;
  const LONG status =
      RegCreateKeyExA(ToHkey(parent), subkey.c_str(), 0, const_cast<char*>(keyClass),
                      REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &created, nullptr);
  if (status != ERROR_SUCCESS) return static_cast<Win32Error>(status);
  *result = FromHkey(created);
  return kErrorSuccess;
}

Win32Error Win32Registry::QueryValue(RegKey key, const std::string& name, std::uint8_t* data,
                                     std::uint32_t* size) {
  DWORD length = *size;
  const LONG status = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, nullptr, data, &length);
  *size = length;
  return static_cast<Win32Error>(status);
}

Win32Error Win32Registry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                                   const std::uint8_t* data, std::uint32_t size) {
  if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
    // For a string without its terminating zero, RegSetValueExA looks at the byte after the data
    // and stores one byte more when that is zero: a read past the caller's buffer that changes
    // what is stored. A copy followed by a byte of our own stores exactly the bytes given.
    std::vector<std::uint8_t> copy(data, data + size);
    copy.push_back(0xFF);
    return static_cast<Win32Error>(
        RegSetValueExA(ToHkey(key), name.c_str(), 0, type, copy.data(), size));
  }
  return static_cast<Win32Error>(RegSetValueExA(ToHkey(key), name.c_str(), 0, type, data, size));
}

void Win32Registry::CloseKey(RegKey key) {
  if (IsPredefinedKey(key)) return;
  RegCloseKey(ToHkey(key));
}

Win32Error Win32Registry::FlushKey(RegKey key) {
  return static_cast<Win32Error>(RegFlushKey(ToHkey(key)));
}

Win32Error Win32Registry::DeleteValue(RegKey key, const std::string& name) {
  // The key may have been opened for reading only: deleting needs a handle that may set values.
  HKEY writable = nullptr;
  LONG status = RegOpenKeyExA(ToHkey(key), "", 0, KEY_SET_VALUE, &writable);
  if (status != ERROR_SUCCESS) return static_cast<Win32Error>(status);
  status = RegDeleteValueA(writable, name.c_str());
  RegCloseKey(writable);
  return static_cast<Win32Error>(status);
}

Win32Error Win32Registry::DeleteKey(RegKey parent, const std::string& subkey) {
  return static_cast<Win32Error>(RegDeleteKeyA(ToHkey(parent), subkey.c_str()));
}

Win32Error Win32Registry::QueryInfoKey(RegKey key, std::uint32_t* subkeys, std::uint32_t* values) {
  DWORD subkeyCount = 0;
  DWORD valueCount = 0;
  const LONG status =
      RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, &subkeyCount, nullptr, nullptr,
                       &valueCount, nullptr, nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS) return static_cast<Win32Error>(status);
  *subkeys = subkeyCount;
  *values = valueCount;
  return kErrorSuccess;
}

}  // namespace setup
