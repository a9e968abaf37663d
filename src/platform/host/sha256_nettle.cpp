// SHA-256 on the host through nettle.
#include <nettle/sha2.h>

#include "platform/sha256.h"

namespace setup {
namespace {

class NettleSha256 final : public Sha256 {
 public:
  NettleSha256() { sha256_init(&context_); }
  void Update(const void* data, std::size_t size) override {
    sha256_update(&context_, size, static_cast<const std::uint8_t*>(data));
  }
  Sha256Digest Finish() override {
    Sha256Digest digest{};
    sha256_digest(&context_, digest.size(), digest.data());
    return digest;
  }

 private:
  sha256_ctx context_;
};

}  // namespace

std::unique_ptr<Sha256> CreateSha256() { return std::make_unique<NettleSha256>(); }

}  // namespace setup
