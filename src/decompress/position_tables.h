// The fixed code of a match distance's upper six bits, as decoding tables and as encoding codes.
#pragma once

#include <array>
#include <cstdint>

namespace setup::lzhuf {

// Indexed by the first eight bits b of a coded distance: the distance's upper six bits.
inline constexpr std::array<std::uint8_t, 256> positionUpperTable = [] {
  std::array<std::uint8_t, 256> table{};
  for (int b = 0; b < 256; ++b) {
    if (b < 0x20) {
      table[b] = 0;
    } else if (b < 0x50) {
      table[b] = static_cast<std::uint8_t>(1 + (b - 0x20) / 16);
    } else if (b < 0x90) {
      table[b] = static_cast<std::uint8_t>(4 + (b - 0x50) / 8);
    } else if (b < 0xC0) {
      table[b] = static_cast<std::uint8_t>(12 + (b - 0x90) / 4);
    } else if (b < 0xF0) {
      table[b] = static_cast<std::uint8_t>(24 + (b - 0xC0) / 2);
    } else {
      table[b] = static_cast<std::uint8_t>(48 + (b - 0xF0));
    }
  }
  return table;
}();

// Indexed the same way: the number of bits (3 to 8) of the upper six bits' code.
inline constexpr std::array<std::uint8_t, 256> positionLengthTable = [] {
  std::array<std::uint8_t, 256> table{};
  for (int b = 0; b < 256; ++b) {
    table[b] = b < 0x20 ? 3 : b < 0x50 ? 4 : b < 0x90 ? 5 : b < 0xC0 ? 6 : b < 0xF0 ? 7 : 8;
  }
  return table;
}();

// The encoder's view: for upper six bits u, the code (right-aligned) and its bit count. A code is
// the common prefix of the eight-bit values the decoding tables map to u.
struct PositionCode {
  std::uint8_t code;
  std::uint8_t bits;
};

inline constexpr std::array<PositionCode, 64> positionCodes = [] {
  std::array<PositionCode, 64> codes{};
  for (int b = 255; b >= 0; --b) {
    const int bits = positionLengthTable[b];
    codes[positionUpperTable[b]] = {static_cast<std::uint8_t>(b >> (8 - bits)),
                                    static_cast<std::uint8_t>(bits)};
  }
  return codes;
}();

// Total bits a coded distance takes (its upper code plus the six low bits verbatim).
inline constexpr int DistanceBits(int distance) { return positionCodes[distance >> 6].bits + 6; }

}  // namespace setup::lzhuf
