// Writing the xz and stored payload forms: the authoring tool's side, in a file of its own so
// the installer never links the encoder.
#include <algorithm>
#include <vector>

#include "decompress/payload_form.h"
#include "decompress/xz_stream.h"

namespace setup {
namespace {

constexpr std::size_t kBlock = 64 * 1024;

}  // namespace

PackResult PackXzPayload(lzhuf::ByteSource& in, std::uint64_t length, lzhuf::ByteSink& out) {
  xz::StreamEncoder encoder(length);
  std::vector<std::uint8_t> input(kBlock);
  std::vector<std::uint8_t> output(kBlock);
  std::uint64_t left = length;
  std::size_t have = 0;
  std::size_t offset = 0;
  for (;;) {
    if (have == 0 && left > 0) {
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, kBlock));
      have = lzhuf::ReadFull(in, input.data(), want);
      if (have < want) return PackResult::kShortInput;
      left -= have;
      offset = 0;
    }
    xz::Step step;
    step.in = input.data() + offset;
    step.inSize = have;
    step.out = output.data();
    step.outSize = output.size();
    const xz::Status status = encoder.Encode(step, left == 0);
    if (step.produced > 0 && !out.Write(output.data(), step.produced)) {
      return PackResult::kWriteFailed;
    }
    offset += step.consumed;
    have -= step.consumed;
    if (status == xz::Status::kEnd) return PackResult::kDone;
    if (status != xz::Status::kMore) return PackResult::kNoMemory;
  }
}

PackResult PackStoredPayload(lzhuf::ByteSource& in, std::uint64_t length, lzhuf::ByteSink& out) {
  const std::string header = StoredHeader(length);
  if (!out.Write(reinterpret_cast<const std::uint8_t*>(header.data()), header.size())) {
    return PackResult::kWriteFailed;
  }
  std::vector<std::uint8_t> buffer(2 * kBlock);
  std::uint64_t left = length;
  while (left > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
    if (lzhuf::ReadFull(in, buffer.data(), want) != want) return PackResult::kShortInput;
    if (!out.Write(buffer.data(), want)) return PackResult::kWriteFailed;
    left -= want;
  }
  return PackResult::kDone;
}

}  // namespace setup
