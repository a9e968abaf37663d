// SHA-256 on Windows through CryptoAPI (advapi32), which every Windows since XP SP3 has.
#include "platform/sha256.h"
#include "platform/win32/windows_headers.h"  // with <wincrypt.h>

namespace setup {
namespace {

class CryptoApiSha256 final : public Sha256 {
 public:
  CryptoApiSha256() {
    if (!CryptAcquireContextA(&provider_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
      provider_ = 0;
      return;
    }
    if (!CryptCreateHash(provider_, CALG_SHA_256, 0, 0, &hash_)) hash_ = 0;
  }
  ~CryptoApiSha256() override {
    if (hash_ != 0) CryptDestroyHash(hash_);
    if (provider_ != 0) CryptReleaseContext(provider_, 0);
  }
  CryptoApiSha256(const CryptoApiSha256&) = delete;
  CryptoApiSha256& operator=(const CryptoApiSha256&) = delete;

  void Update(const void* data, std::size_t size) override {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    while (hash_ != 0 && size > 0) {
      const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
      if (!CryptHashData(hash_, bytes, chunk, 0)) failed_ = true;
      bytes += chunk;
      size -= chunk;
    }
  }
  // Without a provider the digest stays all zeros, which matches no real file: a check then
  // fails closed instead of passing.
  Sha256Digest Finish() override {
    Sha256Digest digest{};
    DWORD length = static_cast<DWORD>(digest.size());
    if (hash_ == 0 || failed_ || !CryptGetHashParam(hash_, HP_HASHVAL, digest.data(), &length, 0)) {
      digest.fill(0);
    }
    return digest;
  }

 private:
  HCRYPTPROV provider_ = 0;
  HCRYPTHASH hash_ = 0;
  bool failed_ = false;
};

}  // namespace

std::unique_ptr<Sha256> CreateSha256() { return std::make_unique<CryptoApiSha256>(); }

}  // namespace setup
