// Initialising and rebuilding the adaptive tree, and moving a node past its equals.
#include "decompress/lzhuf_tree.h"

#include <cstring>
#include <initializer_list>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace setup::lzhuf {

void AdaptiveTree::Init() {
  for (std::uint16_t& f : frequency) f = 0xFFFF;  // the sentinels
  for (int s = 0; s < kSymbolCount; ++s) {
    frequency[s] = 1;
    child[s] = static_cast<std::uint16_t>(s + kNodeCount);
    parent[s + kNodeCount] = static_cast<std::uint16_t>(s);
  }
  for (int i = 0, j = kSymbolCount; j < kNodeCount; i += 2, ++j) {
    frequency[j] = static_cast<std::uint16_t>(frequency[i] + frequency[i + 1]);
    child[j] = static_cast<std::uint16_t>(i);
    parent[i] = parent[i + 1] = static_cast<std::uint16_t>(j);
  }
  parent[kRoot] = 0;
  ResetWatch();
}

void AdaptiveTree::ResetWatch() {
  std::memset(watched, 0, sizeof watched);
  changedCount = kChangedMax + 1;
}

void AdaptiveTree::NoteChanged(unsigned n, unsigned l) {
  for (const unsigned node : {n, l}) {
    if (!watched[node] || changedCount > kChangedMax) continue;
    if (changedCount == kChangedMax) {
      ++changedCount;
    } else {
      changed[changedCount++] = static_cast<std::uint16_t>(node);
    }
  }
}

void AdaptiveTree::Rebuild() {
  // The leaves in their old order, at half weight (rounding up). They were sorted by weight, and
  // halving keeps them so.
  std::uint16_t leafWeight[kSymbolCount];
  std::uint16_t leafChild[kSymbolCount];
  int leaves = 0;
  for (int i = 0; i < kNodeCount; ++i) {
    if (child[i] >= kNodeCount) {
      leafWeight[leaves] = static_cast<std::uint16_t>((frequency[i] + 1u) / 2u);
      leafChild[leaves] = child[i];
      ++leaves;
    }
  }
  // Pairing the two lightest nodes from the bottom, each new node placed after every node of
  // equal or lower weight: the new nodes come out in rising weight, so the order is a merge of
  // the leaves with the new nodes, a leaf first on equal weight. The new nodes wait in
  // frequency/child beyond the merged part: an entry is never overwritten before it is placed,
  // since the merged part grows by two for every new node.
  std::uint16_t pendingWeight[kSymbolCount - 1];
  std::uint16_t pendingChild[kSymbolCount - 1];
  int nextLeaf = 0, nextPending = 0, pending = 0;
  int placed = 0;
  auto placeOne = [&] {
    if (nextLeaf < kSymbolCount &&
        (nextPending == pending || leafWeight[nextLeaf] <= pendingWeight[nextPending])) {
      frequency[placed] = leafWeight[nextLeaf];
      child[placed] = leafChild[nextLeaf];
      ++nextLeaf;
    } else {
      frequency[placed] = pendingWeight[nextPending];
      child[placed] = pendingChild[nextPending];
      ++nextPending;
    }
    ++placed;
  };
  for (int i = 0; pending < kSymbolCount - 1; i += 2) {
    while (placed < i + 2) placeOne();
    pendingWeight[pending] = static_cast<std::uint16_t>(frequency[i] + frequency[i + 1]);
    pendingChild[pending] = static_cast<std::uint16_t>(i);
    ++pending;
  }
  while (placed < kNodeCount) placeOne();
  // Parents follow from the children; the root's entry stays 0.
  for (int i = 0; i < kNodeCount; ++i) {
    const int c = child[i];
    parent[c] = static_cast<std::uint16_t>(i);
    if (c < kNodeCount) parent[c + 1] = static_cast<std::uint16_t>(i);
  }
  ResetWatch();
}

namespace {

// The last index from `first` on whose weight is `f`, given that frequency[first] is f. The
// sentinels end every run before the array does.
inline unsigned LastOfWeight(const std::uint16_t* frequency, unsigned first, unsigned f) {
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

}  // namespace

unsigned AdaptiveTree::MoveUp(unsigned n, unsigned f) {
  const unsigned l = LastOfWeight(frequency, n + 1, f);
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
