// The decoder on any payload: the block decoder must agree byte for byte with the plain
// reference decoder, produce at least the header's length and at most 59 bytes more, and
// DecompressFile must write exactly that and succeed unless the header is short.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "decompress/decompress_file.h"
#include "decompress/lzhuf_decoder.h"
#include "fuzz_input.h"
#include "reference_decode.h"
#include "support/fake_platform.h"

namespace {

// Keeps the work per input bounded: a header above 256 KiB (enough to pass the decoder's
// output block and the tree's first rebuild) is folded below 8 KiB; a negative one stays
// negative, which decodes nothing.
constexpr std::int32_t kLargestLength = 1 << 18;
constexpr std::int32_t kFoldedMask = (1 << 13) - 1;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string payload(reinterpret_cast<const char*>(data), size);
  std::int32_t length = 0;
  if (payload.size() >= 4) {
    length = setup::ReadLengthHeader(reinterpret_cast<const std::uint8_t*>(payload.data()));
    if (length > kLargestLength) {
      length &= kFoldedMask;
      for (int i = 0; i < 4; ++i) payload[i] = static_cast<char>(length >> (8 * i));
    }
  }

  auto decoder = std::make_unique<setup::LzhufDecoder>();
  std::string expanded;
  const bool expandedOk = setup::ExpandPayload(*decoder, payload, &expanded);
  FUZZ_CHECK(expandedOk == (payload.size() >= 4));
  if (length <= 0) {
    FUZZ_CHECK(expanded.empty());
  } else {
    FUZZ_CHECK(expanded.size() >= static_cast<std::size_t>(length));
    FUZZ_CHECK(expanded.size() <= static_cast<std::size_t>(length) + 59);
  }

  FUZZ_CHECK(setup::fuzz::ReferenceDecode(payload) == expanded);

  setup::testing::FakePlatform fake;
  fake.files.PutFile("C:\\in.cmp", payload);
  setup::Decompressor decompressor(fake.files, fake.windows);
  const int result = decompressor.DecompressFile("C:\\in.cmp", "C:\\out.bin");
  FUZZ_CHECK(result == (payload.size() >= 4 ? 0 : 1));
  FUZZ_CHECK(fake.windows.messageBoxes().size() == static_cast<std::size_t>(result));
  FUZZ_CHECK(fake.files.FileBytes("C:\\out.bin") == expanded);
  FUZZ_CHECK(fake.files.openFiles == 0);
  return 0;
}
