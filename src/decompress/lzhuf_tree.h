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

}  // namespace setup::lzhuf
