// One step of a liblzma coder over a Step, for the decoder and the encoder alike.
#pragma once

#include <lzma.h>

#include "decompress/xz_stream.h"

namespace setup::xz {

inline Status Run(lzma_stream& stream, Step& step, lzma_action action) {
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

}  // namespace setup::xz
