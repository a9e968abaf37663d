// Registry values named by one separator-joined path, and the SharedDLLs reference counts.
#include "base/registry_access.h"

#include <array>
#include <cstring>
#include <utility>

#include "base/registry_path.h"
#include "platform/out_of_memory.h"

namespace setup {

namespace {

// A value read through a path never exceeds what a system path buffer holds.
constexpr std::uint32_t kMaxValueBytes = 260;

constexpr std::array<const char*, 5> kSharedDllsKeys = {"Software", "Microsoft", "Windows",
                                                        "CurrentVersion", "SharedDLLs"};

// What the walk does once it reaches the value name: open-or-create for the keys on the way,
// and the value operation on the last key.
class PathOperation {
 public:
  virtual ~PathOperation() = default;
  virtual Win32Error OpenSubkey(Registry& registry, RegKey parent, const std::string& name,
                                RegKey* result) = 0;
  // Answers whether the operation succeeded.
  virtual bool OnValue(Registry& registry, RegKey key, const std::string& name) = 0;
};

// Opens component `level` below `current`, and so on down to the value.
bool WalkFrom(Registry& registry, RegKey current, const RegistryWalk& walk, std::size_t level,
              PathOperation& operation) {
  if (level == walk.components.size()) return operation.OnValue(registry, current, walk.valueName);
  ScopedRegKey subkey(registry);
  if (operation.OpenSubkey(registry, current, walk.components[level], subkey.receive()) !=
      kErrorSuccess) {
    return false;
  }
  return WalkFrom(registry, subkey.get(), walk, level + 1, operation);
}

// Opens (or creates) the walk's keys one by one below its root and hands the last one to the
// operation. Every key opened here is closed before returning; the predefined root never is.
bool WalkPath(Registry& registry, const std::string& path, char separator,
              PathOperation& operation) {
  const std::optional<RegistryWalk> walk = ParseRegistryPath(path, separator);
  if (!walk) return false;
  return WalkFrom(registry, walk->root, *walk, 0, operation);
}

class ReadOperation : public PathOperation {
 public:
  Win32Error OpenSubkey(Registry& registry, RegKey parent, const std::string& name,
                        RegKey* result) override {
    return registry.OpenKey(parent, name, result);
  }
  bool OnValue(Registry& registry, RegKey key, const std::string& name) override {
    std::array<std::uint8_t, kMaxValueBytes> buffer{};
    std::uint32_t size = kMaxValueBytes;
    if (registry.QueryValue(key, name, buffer.data(), &size) != kErrorSuccess) return false;
    // A registry layer that claims more than it was given is not trusted.
    if (size > kMaxValueBytes) return false;
    data.assign(buffer.begin(), buffer.begin() + size);
    return true;
  }
  std::vector<std::uint8_t> data;
};

class WriteOperation : public PathOperation {
 public:
  WriteOperation(const void* data, std::uint32_t size, const char* keyClass, std::uint32_t type)
      : data_(static_cast<const std::uint8_t*>(data)),
        size_(size),
        keyClass_(keyClass),
        type_(type) {}
  Win32Error OpenSubkey(Registry& registry, RegKey parent, const std::string& name,
                        RegKey* result) override {
    return registry.CreateKey(parent, name, keyClass_, result);
  }
  bool OnValue(Registry& registry, RegKey key, const std::string& name) override {
    return registry.SetValue(key, name, type_, data_, size_) == kErrorSuccess;
  }

 private:
  const std::uint8_t* data_;
  std::uint32_t size_;
  const char* keyClass_;
  std::uint32_t type_;
};

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadRegistryValue(Registry& registry,
                                                           const std::string& path,
                                                           char separator) {
  using Data = std::optional<std::vector<std::uint8_t>>;
  return FailureWhenOutOfMemory<Data>(std::nullopt, [&]() -> Data {
    ReadOperation read;
    if (!WalkPath(registry, path, separator, read)) return std::nullopt;
    return std::move(read.data);
  });
}

std::optional<std::string> ReadRegistryString(Registry& registry, const std::string& path,
                                              char separator) {
  std::optional<std::vector<std::uint8_t>> data = ReadRegistryValue(registry, path, separator);
  if (!data) return std::nullopt;
  return FailureWhenOutOfMemory<std::optional<std::string>>(
      std::nullopt, [&]() -> std::optional<std::string> {
        // The data need not hold a terminating zero: never look past its end.
        std::size_t length = 0;
        while (length < data->size() && (*data)[length] != 0) ++length;
        return std::string(reinterpret_cast<const char*>(data->data()), length);
      });
}

int WriteRegistryValue(Registry& registry, const std::string& path, const void* data,
                       std::uint32_t size, const char* keyClass, std::uint32_t type,
                       char separator) {
  return FailureWhenOutOfMemory(0, [&] {
    WriteOperation write(data, size, keyClass, type);
    return WalkPath(registry, path, separator, write) ? 1 : 0;
  });
}

int WriteRegistryDword(Registry& registry, const std::string& path, std::uint32_t value,
                       char separator) {
  // REG_DWORD data is little-endian.
  const std::uint8_t bytes[4] = {
      static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
      static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  return WriteRegistryValue(registry, path, bytes, sizeof bytes, nullptr, REG_DWORD, separator);
}

int WriteRegistryString(Registry& registry, const std::string& path, const std::string& text,
                        char separator) {
  // c_str() supplies the terminating zero that belongs to the stored value.
  return WriteRegistryValue(registry, path, text.c_str(),
                            static_cast<std::uint32_t>(text.size() + 1), nullptr, REG_SZ,
                            separator);
}

std::int32_t GetSharedDllCount(Registry& registry, const std::string& filePath) {
  // Destroyed in reverse order, so the innermost key is closed first.
  ScopedRegKey keys[kSharedDllsKeys.size()] = {ScopedRegKey(registry), ScopedRegKey(registry),
                                               ScopedRegKey(registry), ScopedRegKey(registry),
                                               ScopedRegKey(registry)};
  RegKey parent = kHkeyLocalMachine;
  for (std::size_t level = 0; level < kSharedDllsKeys.size(); ++level) {
    if (registry.OpenKey(parent, kSharedDllsKeys[level], keys[level].receive()) != kErrorSuccess) {
      return -1;
    }
    parent = keys[level].get();
  }
  std::uint8_t bytes[4] = {};
  std::uint32_t size = sizeof bytes;
  // Only a complete 4-byte count is a count; anything else reads as "none stored".
  if (registry.QueryValue(parent, filePath, bytes, &size) != kErrorSuccess || size != 4) {
    return -1;
  }
  const std::uint32_t count =
      static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
      (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
  return static_cast<std::int32_t>(count);
}

int SetSharedDllCount(Registry& registry, const std::string& filePath, std::int32_t count) {
  ScopedRegKey keys[kSharedDllsKeys.size()] = {ScopedRegKey(registry), ScopedRegKey(registry),
                                               ScopedRegKey(registry), ScopedRegKey(registry),
                                               ScopedRegKey(registry)};
  RegKey parent = kHkeyLocalMachine;
  for (std::size_t level = 0; level < kSharedDllsKeys.size(); ++level) {
    if (registry.CreateKey(parent, kSharedDllsKeys[level], nullptr, keys[level].receive()) !=
        kErrorSuccess) {
      return 0;
    }
    parent = keys[level].get();
  }
  const auto value = static_cast<std::uint32_t>(count);
  const std::uint8_t bytes[4] = {
      static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
      static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  return registry.SetValue(parent, filePath, REG_DWORD, bytes, sizeof bytes) == kErrorSuccess ? 1
                                                                                              : 0;
}

}  // namespace setup
