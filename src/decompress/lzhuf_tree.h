// The adaptive Huffman tree that codes literals and match lengths, shared by decoder and encoder.
#pragma once

#include <cstdint>

namespace setup::lzhuf {

inline constexpr int kRingSize = 4096;    // the sliding window
inline constexpr int kMaxMatch = 60;      // longest back-reference
inline constexpr int kMinMatch = 3;       // shortest back-reference
inline constexpr int kSymbolCount = 314;  // 256 literals and 58 match lengths
inline constexpr int kNodeCount = 627;    // 2 * kSymbolCount - 1
inline constexpr int kRoot = kNodeCount - 1;
inline constexpr int kMaxFrequency = 0x8000;  // the root's frequency that triggers a rebuild
inline constexpr int kInitialFill = kRingSize - kMaxMatch;  // spaces before the first byte

// The symbol of a match of `length` bytes, and back.
inline constexpr int MatchSymbol(int length) { return length + 256 - kMinMatch; }
inline constexpr int MatchLength(int symbol) { return symbol - 256 + kMinMatch; }

// Node i's weight is frequency[i]; the nodes stay sorted by weight, with siblings side by side.
// child[i] >= kNodeCount marks the leaf of symbol child[i] - kNodeCount; otherwise node i's
// children are child[i] and child[i] + 1 (always an even pair). parent[kNodeCount + s] is the
// node holding symbol s's leaf.
//
// Weights never exceed kMaxFrequency, which also bounds the depth of any leaf: along a path from
// the root each weight is at least the sum of the next two, so a leaf deeper than 21 would need a
// root weight of at least fib(24) = 46368. The decoder relies on that bound.
//
// An exchange moves a node past the run of nodes of its own weight; the run is found by comparing
// several weights at once. Keeping an index of every run's end instead costs a table update on
// every increment, which is the more common operation by far.
struct AdaptiveTree {
  static constexpr int kMaxDepth = 21;

  // Entries from kNodeCount on are 0xFFFF sentinels: the one at kNodeCount ends every run of
  // equal weights, the others let the run's scan load whole blocks.
  static constexpr int kSentinels = 8;
  std::uint16_t frequency[kNodeCount + 1 + kSentinels];
  std::uint16_t child[kNodeCount];
  std::uint16_t parent[kNodeCount + kSymbolCount];

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
  // Node numbers are unsigned here: the parent chain is the update's critical path, and a signed
  // index would cost a sign extension on every step of it.
  void UpdateFromNode(unsigned n) {
    do {
      n = IncrementNode(n);
    } while ((n = parent[n]) != 0);
  }

  // Adds one to node n's weight. A node that would pass its right neighbour (which never weighs
  // less) first changes place with the last node of its weight. Answers the node now holding n's
  // subtree.
  unsigned IncrementNode(unsigned n) {
    const unsigned f = frequency[n];
    if (frequency[n + 1] == f) return MoveUp(n, f);
    frequency[n] = static_cast<std::uint16_t>(f + 1);
    return n;
  }

  // IncrementNode's exchange: node n and its right neighbour weigh f; the last node of that weight
  // takes n's subtree and the new weight, n takes the last node's subtree.
  unsigned MoveUp(unsigned n, unsigned f);

 private:
  void NoteChanged(unsigned n, unsigned l);
  void ResetWatch();
};

}  // namespace setup::lzhuf
