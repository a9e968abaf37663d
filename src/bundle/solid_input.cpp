// Decoding a solid archive's stream on demand.
#include "bundle/solid_input.h"

#include <algorithm>

namespace setup::bundle {

SolidInput::SolidInput(Input& compressed, std::uint64_t compressedLength)
    : compressed_(compressed), left_(compressedLength), input_(64 * 1024) {}

bool SolidInput::Refill() {
  if (inputStart_ < inputEnd_ || left_ == 0) return false;
  const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left_, input_.size()));
  const std::size_t got = compressed_.Read(input_.data(), want);
  left_ = got == want ? left_ - got : 0;  // a short read ends the input: the stream is cut
  inputStart_ = 0;
  inputEnd_ = got;
  return got > 0;
}

std::size_t SolidInput::Read(void* buffer, std::size_t size) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t produced = 0;
  while (produced < size && status_ == xz::Status::kMore) {
    Refill();
    xz::Step step;
    step.in = input_.data() + inputStart_;
    step.inSize = inputEnd_ - inputStart_;
    step.out = out + produced;
    step.outSize = size - produced;
    status_ = decoder_.Decode(step, left_ == 0);
    inputStart_ += step.consumed;
    produced += step.produced;
    const bool stuck = step.consumed == 0 && step.produced == 0;
    if (status_ == xz::Status::kMore && stuck && left_ == 0) status_ = xz::Status::kDamaged;
  }
  return produced;
}

bool SolidInput::EndsCleanly() {
  // The body reader stops at its last byte; the stream's index, footer and check follow.
  std::uint8_t extra = 0;
  if (status_ == xz::Status::kMore && Read(&extra, 1) != 0) return false;
  return status_ == xz::Status::kEnd && inputStart_ == inputEnd_ && left_ == 0;
}

BodyResult ReadSolidBody(Input& input, std::uint64_t length, Output& output,
                         std::string* productName) {
  std::uint8_t bytes[12];
  if (length < sizeof bytes || input.Read(bytes, sizeof bytes) != sizeof bytes) {
    return BodyResult::kDamaged;
  }
  std::uint64_t mark = 0;
  for (int i = 3; i >= 0; --i) mark = mark << 8 | bytes[i];
  std::uint64_t plainLength = 0;
  for (int i = 11; i >= 4; --i) plainLength = plainLength << 8 | bytes[i];
  if (mark != kSolidMark) return BodyResult::kDamaged;
  SolidInput plain(input, length - sizeof bytes);
  const BodyResult result = ReadBody(plain, plainLength, output, productName);
  if (result != BodyResult::kDone) return result;
  return plain.EndsCleanly() ? BodyResult::kDone : BodyResult::kDamaged;
}

}  // namespace setup::bundle
