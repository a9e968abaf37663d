// Registry values named by one separator-joined path, and the SharedDLLs reference counts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace setup {

// A copy of the value's data (at most 260 bytes), or nothing.
std::optional<std::vector<std::uint8_t>> ReadRegistryValue(Registry& registry,
                                                           const std::string& path, char separator);
// Treats the value read as a text, ending at its first zero or at its end.
std::optional<std::string> ReadRegistryString(Registry& registry, const std::string& path,
                                              char separator);

int WriteRegistryValue(Registry& registry, const std::string& path, const void* data,
                       std::uint32_t size, const char* keyClass, std::uint32_t type,
                       char separator);
int WriteRegistryDword(Registry& registry, const std::string& path, std::uint32_t value,
                       char separator);
int WriteRegistryString(Registry& registry, const std::string& path, const std::string& text,
                        char separator);

// -1 when no count is stored.
std::int32_t GetSharedDllCount(Registry& registry, const std::string& filePath);
int SetSharedDllCount(Registry& registry, const std::string& filePath, std::int32_t count);

}  // namespace setup
