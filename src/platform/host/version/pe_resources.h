// Finds the version resource of a PE image and the fixed record inside it, safely for any bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace setup {

// Random access to the bytes of an image.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads exactly `size` bytes at `offset`; false when they are not all there.
  virtual bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) = 0;
};

class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(const std::string& bytes) : bytes_(bytes) {}
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override;

 private:
  const std::string& bytes_;
};

// The largest version resource read; its own length field cannot describe more.
inline constexpr std::uint32_t kMaxVersionInfoSize = 0x10000;

// The version resource (type RT_VERSION, name VS_VERSION_INFO = 1, the first language) of a
// 32- or 64-bit PE image: its VS_VERSIONINFO block, exactly as long as the block's own length
// says. Empty when the image is not a PE file, has no such resource, or anything on the way is
// out of range or inconsistent.
[[nodiscard]] std::string ReadVersionResource(ByteSource& image);

// The value of a VS_VERSIONINFO block's root (the fixed record when there is one): its offset
// in the block and its length in bytes. False when the block is too short for its header, its
// key or its value. Reads only the first `size` bytes and no further than the block's length.
[[nodiscard]] bool FindRootValue(const void* block, std::size_t size, std::size_t* offset,
                                 std::uint32_t* length);

}  // namespace setup
