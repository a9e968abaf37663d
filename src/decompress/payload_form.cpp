// Telling the payload forms apart, and expanding and writing the xz and stored forms.
#include "decompress/payload_form.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "decompress/xz_stream.h"

namespace setup {
namespace {

constexpr std::size_t kBlock = 64 * 1024;

bool Opens(std::string_view head, const std::uint8_t* magic) {
  return head.size() >= kFormMagicSize && std::memcmp(head.data(), magic, kFormMagicSize) == 0;
}

ExpandResult FromStatus(xz::Status status) {
  switch (status) {
    case xz::Status::kTooLarge:
      return ExpandResult::kTooLarge;
    case xz::Status::kNoMemory:
      return ExpandResult::kNoMemory;
    case xz::Status::kMore:
    case xz::Status::kEnd:
    case xz::Status::kDamaged:
      break;
  }
  return ExpandResult::kDamaged;
}

}  // namespace

PayloadForm PayloadFormOf(std::string_view head) {
  if (Opens(head, xz::kMagic)) return PayloadForm::kXz;
  if (Opens(head, kStoredMagic)) return PayloadForm::kStored;
  return PayloadForm::kLzhuf;
}

bool MayOpenMagic(const std::uint8_t* firstFour) {
  return std::memcmp(firstFour, xz::kMagic, 4) == 0 || std::memcmp(firstFour, kStoredMagic, 4) == 0;
}

std::string StoredHeader(std::uint64_t length) {
  std::string header(reinterpret_cast<const char*>(kStoredMagic), kFormMagicSize);
  for (int i = 0; i < 8; ++i) header.push_back(static_cast<char>(length >> (8 * i) & 0xFF));
  return header;
}

std::optional<std::uint64_t> StoredLength(std::string_view header) {
  if (header.size() < kStoredHeaderSize || !Opens(header, kStoredMagic)) return std::nullopt;
  std::uint64_t length = 0;
  for (int i = 7; i >= 0; --i) {
    length = length << 8 | static_cast<std::uint8_t>(header[kFormMagicSize + i]);
  }
  return length;
}

ExpandResult ExpandXzPayload(lzhuf::ByteSource& in, lzhuf::ByteSink& out) {
  xz::StreamDecoder decoder;
  std::vector<std::uint8_t> input(kBlock);
  std::vector<std::uint8_t> output(2 * kBlock);
  std::size_t have = 0;  // undecoded bytes at the front of `input`
  bool ended = false;
  for (;;) {
    if (!ended && have < input.size()) {
      const std::size_t got = in.Read(input.data() + have, input.size() - have);
      ended = got == 0;
      have += got;
    }
    xz::Step step;
    step.in = input.data();
    step.inSize = have;
    step.out = output.data();
    step.outSize = output.size();
    const xz::Status status = decoder.Decode(step, ended);
    if (step.produced > 0 && !out.Write(output.data(), step.produced)) {
      return ExpandResult::kWriteFailed;
    }
    std::memmove(input.data(), input.data() + step.consumed, have - step.consumed);
    have -= step.consumed;
    if (status == xz::Status::kEnd) {
      // One stream per payload: anything after it is damage, not a second file.
      if (have > 0) return ExpandResult::kDamaged;
      std::uint8_t extra = 0;
      return lzhuf::ReadFull(in, &extra, 1) == 0 ? ExpandResult::kDone : ExpandResult::kDamaged;
    }
    if (status != xz::Status::kMore) return FromStatus(status);
    // No progress with nothing more to read or no room to read it into: the stream cannot end.
    const bool stuck = step.consumed == 0 && step.produced == 0;
    if (stuck && (ended || have == input.size())) return ExpandResult::kDamaged;
  }
}

ExpandResult ExpandStoredPayload(lzhuf::ByteSource& in, lzhuf::ByteSink& out) {
  std::uint8_t header[kStoredHeaderSize];
  if (lzhuf::ReadFull(in, header, sizeof header) != sizeof header) return ExpandResult::kDamaged;
  std::uint64_t left =
      *StoredLength(std::string_view(reinterpret_cast<const char*>(header), sizeof header));
  std::vector<std::uint8_t> buffer(2 * kBlock);
  while (left > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
    const std::size_t got = lzhuf::ReadFull(in, buffer.data(), want);
    if (got > 0 && !out.Write(buffer.data(), got)) return ExpandResult::kWriteFailed;
    if (got < want) return ExpandResult::kDamaged;
    left -= got;
  }
  std::uint8_t extra = 0;
  return lzhuf::ReadFull(in, &extra, 1) == 0 ? ExpandResult::kDone : ExpandResult::kDamaged;
}

}  // namespace setup
