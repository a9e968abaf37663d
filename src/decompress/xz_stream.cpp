// The .xz decoder: liblzma's stream decoder behind one small interface.
#include "decompress/xz_stream.h"

#include <lzma.h>

#include <algorithm>
#include <cstring>

#include "decompress/xz_step.h"

namespace setup::xz {
namespace {

// The decoder's own state beside the dictionary: a few tens of kilobytes, with room to spare.
constexpr std::uint64_t kDecoderOverhead = std::uint64_t{1} << 20;

}  // namespace

struct StreamDecoder::State {
  lzma_stream stream = LZMA_STREAM_INIT;
  lzma_ret init = LZMA_PROG_ERROR;
  ~State() { lzma_end(&stream); }
};

StreamDecoder::StreamDecoder() : state_(std::make_unique<State>()) {
  state_->init = lzma_stream_decoder(&state_->stream, kDictionaryLimit + kDecoderOverhead,
                                     LZMA_TELL_NO_CHECK | LZMA_TELL_UNSUPPORTED_CHECK);
}

StreamDecoder::~StreamDecoder() = default;

Status StreamDecoder::Decode(Step& step, bool inputEnded) {
  step.consumed = 0;
  step.produced = 0;
  if (state_->init != LZMA_OK) return Status::kNoMemory;
  const Status status = Run(state_->stream, step, inputEnded ? LZMA_FINISH : LZMA_RUN);
  // Once refused, a stream stays refused: liblzma would go on after a told check type.
  if (status == Status::kDamaged || status == Status::kTooLarge || status == Status::kNoMemory) {
    state_->init = LZMA_PROG_ERROR;
  }
  return status;
}

bool StartsWithMagic(const std::uint8_t* bytes, std::size_t size) {
  return size >= sizeof kMagic && std::memcmp(bytes, kMagic, sizeof kMagic) == 0;
}

}  // namespace setup::xz
