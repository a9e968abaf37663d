// The .xz coder: liblzma's stream decoder and encoder behind one small interface.
#include "decompress/xz_stream.h"

#include <lzma.h>

#include <algorithm>
#include <cstring>

namespace setup::xz {
namespace {

// The decoder's own state beside the dictionary: a few tens of kilobytes, with room to spare.
constexpr std::uint64_t kDecoderOverhead = std::uint64_t{1} << 20;

// The smallest dictionary liblzma accepts.
constexpr std::uint32_t kSmallestDictionary = 4096;

Status Run(lzma_stream& stream, Step& step, lzma_action action) {
  stream.next_in = step.in;
  stream.avail_in = step.inSize;
  stream.next_out = step.out;
  stream.avail_out = step.outSize;
  const lzma_ret ret = lzma_code(&stream, action);
  step.consumed = step.inSize - stream.avail_in;
  step.produced = step.outSize - stream.avail_out;
  switch (ret) {
    case LZMA_OK:
      return Status::kMore;
    case LZMA_STREAM_END:
      return Status::kEnd;
    case LZMA_MEMLIMIT_ERROR:
      return Status::kTooLarge;
    case LZMA_MEM_ERROR:
      return Status::kNoMemory;
    case LZMA_BUF_ERROR:
      // No progress is possible: with the input ended, the stream was cut short.
      return action == LZMA_FINISH ? Status::kDamaged : Status::kMore;
    default:
      // LZMA_NO_CHECK, LZMA_UNSUPPORTED_CHECK (told because asked for), LZMA_FORMAT_ERROR,
      // LZMA_OPTIONS_ERROR, LZMA_DATA_ERROR and anything newer.
      return Status::kDamaged;
  }
}

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

struct StreamEncoder::State {
  lzma_stream stream = LZMA_STREAM_INIT;
  lzma_ret init = LZMA_PROG_ERROR;
  ~State() { lzma_end(&stream); }
};

StreamEncoder::StreamEncoder(std::uint64_t expectedLength) : state_(std::make_unique<State>()) {
  lzma_options_lzma options;
  if (lzma_lzma_preset(&options, 9 | LZMA_PRESET_EXTREME)) return;
  // A dictionary beyond the input's length finds nothing more, and costs the decoder memory.
  const std::uint64_t wanted = std::max<std::uint64_t>(expectedLength, kSmallestDictionary);
  if (wanted < options.dict_size) options.dict_size = static_cast<std::uint32_t>(wanted);
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA2, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  state_->init = lzma_stream_encoder(&state_->stream, filters, LZMA_CHECK_CRC64);
}

StreamEncoder::~StreamEncoder() = default;

Status StreamEncoder::Encode(Step& step, bool finish) {
  step.consumed = 0;
  step.produced = 0;
  if (state_->init != LZMA_OK) return Status::kNoMemory;
  return Run(state_->stream, step, finish ? LZMA_FINISH : LZMA_RUN);
}

bool StartsWithMagic(const std::uint8_t* bytes, std::size_t size) {
  return size >= sizeof kMagic && std::memcmp(bytes, kMagic, sizeof kMagic) == 0;
}

}  // namespace setup::xz
