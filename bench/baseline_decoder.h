// The decoder as it stood before the literal-heavy speed work, kept only as the benchmark's
// baseline.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decompress/byte_stream.h"
#include "decompress/lzhuf_tree.h"

namespace setup::baseline {

// The format's constants are shared with the live decoder; the code below is the old one.
using lzhuf::ByteSink;
using lzhuf::ByteSource;
using lzhuf::kInitialFill;
using lzhuf::kMaxFrequency;
using lzhuf::kMaxMatch;
using lzhuf::kNodeCount;
using lzhuf::kRingSize;
using lzhuf::kRoot;
using lzhuf::kSymbolCount;
using lzhuf::MatchLength;

// Node i's weight is frequency[i]; the nodes stay sorted by weight, with siblings side by side.
// child[i] >= kNodeCount marks the leaf of symbol child[i] - kNodeCount; otherwise node i's
// children are child[i] and child[i] + 1 (always an even pair). parent[kNodeCount + s] is the
// node holding symbol s's leaf.
//
// Weights never exceed kMaxFrequency, which also bounds the depth of any leaf: along a path from
// the root each weight is at least the sum of the next two, so a leaf deeper than 21 would need a
// root weight of at least fib(24) = 46368. The decoder relies on that bound.
//
// lastOfWeight[f] is the highest index of a node weighing f, kept whenever some node weighs f.
// It replaces the scan for the last node of equal weight, which is long when many symbols are
// about equally common.
struct AdaptiveTree {
  static constexpr int kMaxDepth = 21;

  std::uint16_t frequency[kNodeCount + 1];  // the last entry is a 0xFFFF sentinel
  std::uint16_t child[kNodeCount];
  std::uint16_t parent[kNodeCount + kSymbolCount];
  std::uint16_t lastOfWeight[kMaxFrequency + 2];

  // For a decoder's lookup table over the top of the tree: the nodes the table relies on are
  // marked, and each exchange involving one is listed. Init and Rebuild, and a list too long,
  // set `changedCount` above kChangedMax: everything changed.
  static constexpr int kChangedMax = 16;
  std::uint8_t watched[kNodeCount];
  std::uint16_t changed[kChangedMax];
  int changedCount;

  // Every symbol weighs 1; internal nodes are built pairwise from the bottom.
  void Init();

  // Halves the leaf weights (rounding up) and rebuilds the internal nodes.
  void Rebuild();

  // Counts one more occurrence of `symbol`, rebuilding first when the root is full.
  void Update(int symbol) {
    if (frequency[kRoot] == kMaxFrequency) Rebuild();
    UpdateFromNode(parent[kNodeCount + symbol]);
  }

  // The increment walk from node `n` up to the root, keeping the weights sorted.
  void UpdateFromNode(int n) {
    do {
      n = IncrementNode(n);
    } while ((n = parent[n]) != 0);
  }

  // Adds one to node n's weight. A node that would pass its right neighbour first changes place
  // with the last node of its weight. Answers the node now holding n's subtree.
  int IncrementNode(int n) {
    const unsigned f = frequency[n];
    const unsigned next = frequency[n + 1];
    if (next <= f) return MoveUp(n, f);
    frequency[n] = static_cast<std::uint16_t>(f + 1);
    lastOfWeight[f] = static_cast<std::uint16_t>(n - 1);  // meaningless once no node weighs f
    // Whether the next weight is present already is hard to predict: no branch on it.
    const unsigned kept = lastOfWeight[f + 1];
    lastOfWeight[f + 1] = static_cast<std::uint16_t>(next == f + 1 ? kept : unsigned(n));
    return n;
  }

 private:
  void NoteChanged(int n, int l);
  // IncrementNode's exchange: node n, weighing f like the nodes up to lastOfWeight[f], gives its
  // subtree to that last one, which takes the new weight.
  int MoveUp(int n, unsigned f);
  void IndexWeights();
};

// One instance serves a whole process: the window's last 60 positions carry over from one file to
// the next, and the buffers are allocated once with it. Not re-entrant.
struct LzhufDecoder {
 public:
  enum class Result { kDone, kWriteFailed };

  // Expands the stream read from `in` (the bytes after the header) into `out` until at least
  // `expandedLength` bytes were produced; a final match is written whole, so up to 59 more may
  // follow. Nothing is decoded for a length of 0 or less. The input is read in large blocks and
  // continues with zero bits after its end. Stops at the first failed write.
  Result Expand(std::int32_t expandedLength, ByteSource& in, ByteSink& out);

  static constexpr std::size_t kInputSize = 64 * 1024;
  static constexpr std::size_t kOutputSize = 128 * 1024;

 private:
  // The first kTableBits of a code, looked up at once. An exchange in the top of the tree
  // refills only the entries below the nodes exchanged.
  static constexpr int kTableBits = 7;
  struct TableEntry {
    std::uint16_t path[kTableBits];  // the nodes passed, from the root's child down
    std::uint8_t depth;              // bits consumed: to a leaf, or kTableBits
  };
  void RefreshTable();
  void Refill(unsigned code, int depth);
  void FillPair(unsigned pair, int depth, unsigned prefix, std::uint16_t* path);
  void FillNode(int depth, unsigned code, std::uint16_t* path);

  void StartWindow();
  void SaveWindow(const std::uint8_t* end, std::int64_t produced);

  static constexpr std::size_t kInputPadding = 16;
  static constexpr std::size_t kOutputSlack = 2 * kMaxMatch + 16;

  AdaptiveTree tree_;
  std::uint16_t path_[kNodeCount];
  TableEntry table_[1u << kTableBits];
  std::uint16_t prefixCode_[kNodeCount];  // for a watched node: the bits leading to it
  std::uint8_t prefixDepth_[kNodeCount];  // and their number
  std::uint8_t ring_[kRingSize] = {};
  std::uint8_t input_[kInputSize + kInputPadding];
  // The window's 4096 bytes of history followed by fresh output.
  std::uint8_t output_[kRingSize + kOutputSize + kOutputSlack];
};

}  // namespace setup::baseline
