// The position-keyed byte transform of "setup.drc".
#include "script/scrambling.h"

namespace setup {

std::uint8_t ScrambleKey(std::int64_t position) {
  const auto low =
      static_cast<std::uint8_t>(static_cast<std::uint64_t>(position) + kScrambleConstant);
  return static_cast<std::uint8_t>(~low);
}

std::string ScrambledFile(std::string bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<char>(
        ScrambleByte(static_cast<std::uint8_t>(bytes[i]), static_cast<std::int64_t>(i) + 1));
  }
  return bytes;
}

}  // namespace setup
