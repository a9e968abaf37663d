// The position-keyed byte transform of "setup.drc", shared by the loader and the scrambler.
#pragma once

#include <cstdint>
#include <string>

namespace setup {

// The program's one-byte scrambling constant.
inline constexpr std::uint8_t kScrambleConstant = 0x5A;

// The key for the byte at 1-based file position `position` (the stream position just after the
// byte was read or written): the bitwise NOT of the low eight bits of position + 0x5A.
std::uint8_t ScrambleKey(std::int64_t position);

// The transform is its own inverse: it scrambles plain bytes and descrambles stored ones.
inline std::uint8_t ScrambleByte(std::uint8_t byte, std::int64_t position) {
  return static_cast<std::uint8_t>(byte ^ ScrambleKey(position));
}

// A whole file's bytes transformed, the first byte at position 1: "setup.drc" from its plain
// text, or the plain text from "setup.drc".
std::string ScrambledFile(std::string bytes);

}  // namespace setup
