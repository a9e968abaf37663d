// A solid archive's body on any bytes: the reader never reads past the body, names only files
// inside the folder, and accepts a stream only when it ends exactly with the body. An input
// opening with 'P' is a plain body, put through the encoder first, so the body reader is fuzzed
// through a sound stream too and must then agree with the plain reader.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

#include "bundle/bundle_format.h"
#include "bundle/solid_input.h"
#include "decompress/xz_stream.h"
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

// Keeps what was written, up to a bound that keeps each run short.
class MemoryOutput final : public setup::bundle::Output {
 public:
  bool BeginFile(const std::string& name, bool) override {
    FUZZ_CHECK(setup::bundle::ValidEntryName(name));
    current_ = &files[name];
    return true;
  }
  bool Write(const void* data, std::size_t size) override {
    total_ += size;
    if (total_ > (8u << 20)) return false;
    current_->append(static_cast<const char*>(data), size);
    return true;
  }
  bool EndFile() override { return true; }
  std::map<std::string, std::string> files;

 private:
  std::string* current_ = nullptr;
  std::size_t total_ = 0;
};

std::string Encoded(std::string_view plain) {
  setup::xz::StreamEncoder encoder(plain.size());
  std::string out(plain.size() + 4096, '\0');
  setup::xz::Step step;
  step.in = reinterpret_cast<const std::uint8_t*>(plain.data());
  step.inSize = plain.size();
  step.out = reinterpret_cast<std::uint8_t*>(out.data());
  step.outSize = out.size();
  FUZZ_CHECK(encoder.Encode(step, true) == setup::xz::Status::kEnd);
  out.resize(step.produced);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string body;
  std::string_view plain;
  if (!bytes.empty() && bytes[0] == 'P') {
    plain = bytes.substr(1);
    setup::bundle::AppendU32(&body, setup::bundle::kSolidMark);
    setup::bundle::AppendU64(&body, plain.size());
    body += Encoded(plain);
  } else {
    // The mark and the plain length, then the stream (its magic put in front when missing).
    body.assign(bytes);
    constexpr std::size_t kStart = 12;
    if (body.size() < kStart + sizeof setup::xz::kMagic ||
        !setup::xz::StartsWithMagic(reinterpret_cast<const std::uint8_t*>(body.data() + kStart),
                                    body.size() - kStart)) {
      body.insert(std::min(kStart, body.size()), reinterpret_cast<const char*>(setup::xz::kMagic),
                  sizeof setup::xz::kMagic);
    }
  }
  MemoryInput input(body);
  MemoryOutput output;
  std::string productName;
  const auto result = setup::bundle::ReadSolidBody(input, body.size(), output, &productName);
  FUZZ_CHECK(input.read <= body.size());
  if (result == setup::bundle::BodyResult::kDone) FUZZ_CHECK(input.read == body.size());
  if (!plain.empty()) {
    MemoryInput plainInput(plain);
    MemoryOutput plainOutput;
    std::string plainName;
    const auto plainResult =
        setup::bundle::ReadBody(plainInput, plain.size(), plainOutput, &plainName);
    FUZZ_CHECK(plainResult == result);
    if (result == setup::bundle::BodyResult::kDone) {
      FUZZ_CHECK(plainOutput.files == output.files);
      FUZZ_CHECK(plainName == productName);
    }
  }
  return 0;
}
