// SHA-256 digests, computed by the system's own cryptography library.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace setup {

using Sha256Digest = std::array<std::uint8_t, 32>;

// One digest in progress: feed it bytes, then take the digest once.
class Sha256 {
 public:
  virtual ~Sha256() = default;
  virtual void Update(const void* data, std::size_t size) = 0;
  // The digest of everything fed so far; the object is spent afterwards.
  virtual Sha256Digest Finish() = 0;
};

// Defined by each platform. Never null: both libraries compute SHA-256 without failing once
// loaded, and a platform without one does not build.
std::unique_ptr<Sha256> CreateSha256();

}  // namespace setup
