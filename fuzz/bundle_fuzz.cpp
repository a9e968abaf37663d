// The one-file installer's archive on any bytes: a header then a body. Whatever the body
// reader accepts names only files inside the folder and never reads past the body.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "bundle/bundle_format.h"
#include "fuzz_input.h"

namespace {

class MemoryInput final : public setup::bundle::Input {
 public:
  explicit MemoryInput(std::string_view bytes) : bytes_(bytes) {}
  std::size_t Read(void* buffer, std::size_t size) override {
    const std::size_t n = std::min(size, bytes_.size());
    std::memcpy(buffer, bytes_.data(), n);
    bytes_.remove_prefix(n);
    read += n;
    return n;
  }
  std::size_t read = 0;

 private:
  std::string_view bytes_;
};

class CheckingOutput final : public setup::bundle::Output {
 public:
  bool BeginFile(const std::string& name, bool) override {
    FUZZ_CHECK(setup::bundle::ValidEntryName(name));
    return true;
  }
  bool Write(const void*, std::size_t) override { return true; }
  bool EndFile() override { return true; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // Either a header (with the magic put in front) or a body alone.
  if (!bytes.empty() && bytes[0] == 'H') {
    const std::string withMagic = setup::bundle::Magic() + std::string(bytes.substr(1));
    const auto header = setup::bundle::ParseHeader(withMagic);
    if (header) FUZZ_CHECK(setup::bundle::ParseHeader(setup::bundle::EncodeHeader(*header)));
    return 0;
  }
  MemoryInput input(bytes);
  CheckingOutput output;
  std::string productName;
  const std::uint64_t length = size;
  const auto result = setup::bundle::ReadBody(input, length, output, &productName);
  FUZZ_CHECK(input.read <= size);
  if (result == setup::bundle::BodyResult::kDone) FUZZ_CHECK(input.read == size);
  return 0;
}
