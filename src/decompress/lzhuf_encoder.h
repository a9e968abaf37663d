// The LZHUF encoder of the authoring tool: writes payload files that the decoder expands.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "decompress/byte_stream.h"
#include "decompress/lzhuf_tree.h"

namespace setup::lzhuf {

// Writes literals and matches as the decoder reads them, keeping the same adaptive tree.
class SymbolWriter {
 public:
  explicit SymbolWriter(ByteSink& out);

  void Literal(std::uint8_t byte) { PutSymbol(byte); }
  // `length` 3 to 60; `distance` 0 to 4095 (0 repeats the byte just written).
  void Match(int length, int distance);
  // Pads the last byte with zero bits and writes out what is buffered; false when any write
  // failed.
  bool Finish();

  // The current code length of every symbol, for choosing between parses.
  void SymbolBits(std::uint8_t* bits) const;

 private:
  void PutSymbol(int symbol);
  void PutBits(std::uint32_t value, int count);
  void FlushBytes();

  ByteSink& out_;
  AdaptiveTree tree_;
  std::uint64_t bitBuffer_ = 0;  // the low `bitCount_` bits are pending, oldest first
  int bitCount_ = 0;
  bool ok_ = true;
  std::size_t used_ = 0;
  std::uint8_t buffer_[64 * 1024];
};

enum class ParseMode {
  kGreedy,   // the longest match at every step: the baseline
  kOptimal,  // the cheapest path through all matches, priced with the current code lengths
};

struct EncoderOptions {
  ParseMode parse = ParseMode::kOptimal;
  int maxChain = 48;  // match candidates examined per position
};

enum class EncodeResult { kDone, kShortInput, kWriteFailed };

// Compresses exactly `length` bytes (at most 0x7FFFFFFF) of `in` into a payload: the 4-byte
// little-endian length, then the bit stream. Memory use does not depend on the length.
// kShortInput when `in` ends early.
EncodeResult CompressStream(ByteSource& in, std::uint32_t length, ByteSink& out,
                            const EncoderOptions& options = {});

// The payload of `data`, made in memory.
std::string CompressBuffer(std::string_view data, const EncoderOptions& options = {});

}  // namespace setup::lzhuf
