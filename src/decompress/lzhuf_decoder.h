// The LZHUF decoder: expands the bit stream that follows a payload file's length header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "decompress/byte_stream.h"
#include "decompress/lzhuf_tree.h"

namespace setup {

// One instance serves a whole process: the window's last 60 positions carry over from one file to
// the next, and the buffers are allocated once with it. Not re-entrant.
struct LzhufDecoder {
 public:
  enum class Result { kDone, kWriteFailed };

  // Expands the stream read from `in` (the bytes after the header) into `out` until at least
  // `expandedLength` bytes were produced; a final match is written whole, so up to 59 more may
  // follow. Nothing is decoded for a length of 0 or less. The input is read in large blocks and
  // continues with zero bits after its end. Stops at the first failed write.
  Result Expand(std::int32_t expandedLength, lzhuf::ByteSource& in, lzhuf::ByteSink& out);

  static constexpr std::size_t kInputSize = 64 * 1024;
  static constexpr std::size_t kOutputSize = 128 * 1024;

 private:
  // The first kTableBits of a code, looked up at once. An exchange in the top of the tree
  // refills only the entries below the nodes exchanged.
  static constexpr int kTableBits = 6;
  struct TableEntry {
    std::uint16_t path[kTableBits];  // the nodes passed, from the root's child down; spares after
    std::uint16_t last;              // the last of them
    std::uint8_t depth;              // bits consumed: to a leaf, or kTableBits
  };
  static_assert(lzhuf::AdaptiveTree::kSpares >= kTableBits, "a spare for each place of a path");
  void RefreshTable();
  void Refill(unsigned code, int depth);
  void FillPair(unsigned pair, int depth, unsigned prefix, std::uint16_t* path);
  void FillNode(int depth, unsigned code, std::uint16_t* path);

  void StartWindow();
  void SaveWindow(const std::uint8_t* end, std::int64_t produced);

  static constexpr std::size_t kInputPadding = 16;
  static constexpr std::size_t kOutputSlack = 2 * lzhuf::kMaxMatch + 16;

  lzhuf::AdaptiveTree tree_;
  std::uint16_t path_[lzhuf::kNodeCount];  // the nodes a code passes below the table
  TableEntry table_[1u << kTableBits];
  std::uint16_t prefixCode_[lzhuf::kNodeCount];  // for a watched node: the bits leading to it
  std::uint8_t prefixDepth_[lzhuf::kNodeCount];  // and their number
  std::uint8_t ring_[lzhuf::kRingSize] = {};
  std::uint8_t input_[kInputSize + kInputPadding];
  // The window's 4096 bytes of history followed by fresh output.
  std::uint8_t output_[lzhuf::kRingSize + kOutputSize + kOutputSlack];
};

// Expands a whole payload (header and stream) held in memory. False when the header is short.
bool ExpandPayload(LzhufDecoder& decoder, std::string_view payload, std::string* expanded);

// The header's length field: four bytes, little-endian.
inline std::int32_t ReadLengthHeader(const std::uint8_t* header) {
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(header[0]) | static_cast<std::uint32_t>(header[1]) << 8 |
      static_cast<std::uint32_t>(header[2]) << 16 | static_cast<std::uint32_t>(header[3]) << 24);
}

}  // namespace setup
