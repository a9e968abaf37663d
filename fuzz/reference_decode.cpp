// The plain reference decoder in a unit of its own, so that its bit-by-bit loops can go without
// comparison tracing (see CMakeLists.txt).
#include "reference_decode.h"

#include "decompress/reference_decoder.h"

namespace setup::fuzz {

std::string ReferenceDecode(std::string_view payload) {
  auto decoder = std::make_unique<setup::testing::ReferenceDecoder>();
  return decoder->Decode(payload);
}

}  // namespace setup::fuzz
