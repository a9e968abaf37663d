// The resources of a PE image (type, name, language and the bytes of each), read from its
// resource section and written back into it, so that setup-pack can give a stub its own version
// resource without Windows' resource functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace setup::pack {

// A resource directory entry's key: a number, or a name when `name` is not empty.
struct ResourceKey {
  std::uint32_t id = 0;
  std::u16string name;

  friend bool operator==(const ResourceKey&, const ResourceKey&) = default;
};

struct Resource {
  ResourceKey type;
  ResourceKey name;
  std::uint32_t language = 0;
  std::uint32_t codePage = 0;
  std::string data;
};

inline constexpr std::uint32_t kResourceTypeVersion = 16;  // RT_VERSION
inline constexpr std::uint32_t kVersionInfoName = 1;       // VS_VERSION_INFO

// Reads the resources of a 32- or 64-bit PE image. False, with the reason in `why`, when the
// image is not one, has no resources, or its resource tree is out of range or not three levels
// deep. Reads only inside `image`, whatever its bytes.
[[nodiscard]] bool ReadResources(const std::string& image, std::vector<Resource>* resources,
                                 std::string* why);

// Replaces the image's resource section with `resources`, laid out as the linker lays them out
// (directories sorted, named entries first). The section grows only when it is the image's last
// one; a signed image is refused, since its signature would no longer match. Updates the data
// directory, the section's sizes, the image size and a checksum that was set.
[[nodiscard]] bool WriteResources(std::string* image, const std::vector<Resource>& resources,
                                  std::string* why);

}  // namespace setup::pack
