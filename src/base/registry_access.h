// Registry values named by one separator-joined path, and the SharedDLLs reference counts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace setup {

// A copy of the value's data (at most 260 bytes), or nothing.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> ReadRegistryValue(Registry& registry,
                                                                         const std::string& path,
                                                                         char separator);
// Treats the value read as a text, ending at its first zero or at its end.
[[nodiscard]] std::optional<std::string> ReadRegistryString(Registry& registry,
                                                            const std::string& path,
                                                            char separator);

[[nodiscard]] int WriteRegistryValue(Registry& registry, const std::string& path, const void* data,
                                     std::uint32_t size, const char* keyClass, std::uint32_t type,
                                     char separator);
[[nodiscard]] int WriteRegistryDword(Registry& registry, const std::string& path,
                                     std::uint32_t value, char separator);
[[nodiscard]] int WriteRegistryString(Registry& registry, const std::string& path,
                                      const std::string& text, char separator);

// -1 when no count is stored.
[[nodiscard]] std::int32_t GetSharedDllCount(Registry& registry, const std::string& filePath);
[[nodiscard]] int SetSharedDllCount(Registry& registry, const std::string& filePath,
                                    std::int32_t count);

}  // namespace setup
