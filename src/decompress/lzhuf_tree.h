// The adaptive Huffman tree that codes literals and match lengths, shared by decoder and encoder.
#pragma once

#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
  // Spare weights after them, each followed by a sentinel: the decoder increments them in place
  // of nodes, a different one for each place, so that the increments do not wait on each other.
  // Each is incremented at most once per symbol, and reset by Init and Rebuild.
  static constexpr int kSpares = 6;
  static constexpr int kFirstSpare = kNodeCount + 1 + kSentinels;
  static constexpr unsigned Spare(int k) { return kFirstSpare + 2 * k; }
  std::uint16_t frequency[kFirstSpare + 2 * kSpares];
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
  // The last index from `first` on whose weight is `f`, given that frequency[first] is f. The
  // sentinels end every run before the array does.
  unsigned LastOfWeight(unsigned first, unsigned f) const;
  void NoteChanged(unsigned n, unsigned l);
  void ResetWatch();
  void ResetSpares();
};

// Inline: the decoder's update loop calls these on every exchange.
inline unsigned AdaptiveTree::LastOfWeight(unsigned first, unsigned f) const {
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi16(static_cast<short>(f));
  for (unsigned m = first + 1;; m += 8) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(frequency + m));
    const unsigned equal = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(block, wanted)));
    if (equal != 0xFFFF) return m + static_cast<unsigned>(__builtin_ctz(~equal)) / 2 - 1;
  }
#else
  unsigned m = first + 1;
  while (frequency[m] == f) ++m;
  return m - 1;
#endif
}

inline unsigned AdaptiveTree::MoveUp(unsigned n, unsigned f) {
  const unsigned l = LastOfWeight(n + 1, f);
  if (watched[n] | watched[l]) NoteChanged(n, l);
  frequency[l] = static_cast<std::uint16_t>(f + 1);

  // A leaf has one parent entry, an internal node's children two: the second store repeats the
  // first for a leaf, which spares a branch.
  const unsigned a = child[n];
  const unsigned b = child[l];
  parent[a] = static_cast<std::uint16_t>(l);
  parent[a + (a < kNodeCount)] = static_cast<std::uint16_t>(l);
  child[l] = static_cast<std::uint16_t>(a);
  parent[b] = static_cast<std::uint16_t>(n);
  parent[b + (b < kNodeCount)] = static_cast<std::uint16_t>(n);
  child[n] = static_cast<std::uint16_t>(b);
  return l;
}

}  // namespace setup::lzhuf
