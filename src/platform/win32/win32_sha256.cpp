// SHA-256 on Windows through CryptoAPI (advapi32), which every Windows since XP SP3 has.
#include "platform/sha256.h"
#include "platform/win32/windows_headers.h"  // with <wincrypt.h>

namespace setup {
namespace {

// One provider for the whole process: acquiring one loads and initialises the provider's
// libraries, which cost more than hashing a small payload file (the manifest check hashes every
// one of them). Released when the process ends.
class CryptoProvider {
 public:
  CryptoProvider() {
    if (!CryptAcquireContextA(&handle_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
      handle_ = 0;
    }
  }
  ~CryptoProvider() {
    if (handle_ != 0) CryptReleaseContext(handle_, 0);
  }
  CryptoProvider(const CryptoProvider&) = delete;
  CryptoProvider& operator=(const CryptoProvider&) = delete;

  HCRYPTPROV handle() const { return handle_; }

 private:
  HCRYPTPROV handle_ = 0;
};

HCRYPTPROV ProcessProvider() {
  static const CryptoProvider provider;
  return provider.handle();
}

class CryptoApiSha256 final : public Sha256 {
 public:
  CryptoApiSha256() {
    const HCRYPTPROV provider = ProcessProvider();
    if (provider == 0 || !CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash_)) hash_ = 0;
  }
  ~CryptoApiSha256() override {
    if (hash_ != 0) CryptDestroyHash(hash_);
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
  HCRYPTHASH hash_ = 0;
  bool failed_ = false;
};

}  // namespace

std::unique_ptr<Sha256> CreateSha256() { return std::make_unique<CryptoApiSha256>(); }

}  // namespace setup
