// The plain body of a solid archive, decoded from its .xz stream as the body reader asks for it:
// a buffer at a time, never the whole archive in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bundle/bundle_format.h"
#include "decompress/xz_stream.h"

namespace setup::bundle {

class SolidInput final : public Input {
 public:
  // `compressed` yields the stream, which takes exactly `compressedLength` bytes.
  SolidInput(Input& compressed, std::uint64_t compressedLength);

  // Reads up to `size` plain bytes; fewer only at the stream's end or when it is damaged.
  std::size_t Read(void* buffer, std::size_t size) override;

  // After the body was read: true when the stream ends there, with its check matching and its
  // compressed bytes used exactly.
  bool EndsCleanly();

 private:
  bool Refill();

  Input& compressed_;
  std::uint64_t left_;  // compressed bytes not yet read
  xz::StreamDecoder decoder_;
  std::vector<std::uint8_t> input_;
  std::size_t inputStart_ = 0;
  std::size_t inputEnd_ = 0;
  xz::Status status_ = xz::Status::kMore;
};

// Reads a solid body of exactly `length` stored bytes into `output`: kDamaged without the mark,
// for a malformed plain body (as ReadBody) and for a stream that is damaged, cut, or not used
// exactly.
BodyResult ReadSolidBody(Input& input, std::uint64_t length, Output& output,
                         std::string* productName);

}  // namespace setup::bundle
