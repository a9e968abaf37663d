// The .xz encoder of the authoring tool: a file of its own, so the programs that only decode
// never link it.
#include <lzma.h>

#include <algorithm>

#include "decompress/xz_step.h"
#include "decompress/xz_stream.h"

namespace setup::xz {
namespace {

// The smallest dictionary liblzma accepts.
constexpr std::uint32_t kSmallestDictionary = 4096;

}  // namespace

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

}  // namespace setup::xz
