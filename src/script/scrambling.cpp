// The position-keyed byte transform of "setup.drc".
#include "script/scrambling.h"

namespace setup {

std::uint8_t ScrambleKey(std::int64_t position) {
  const auto low =
      static_cast<std::uint8_t>(static_cast<std::uint64_t>(position) + kScrambleConstant);
  return static_cast<std::uint8_t>(~low);
}

}  // namespace setup
