// Initialising and rebuilding the adaptive tree, and noting the exchanges a decoder table relies
// on.
#include "decompress/lzhuf_tree.h"

#include <cstring>
#include <initializer_list>

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
  ResetSpares();
  ResetWatch();
}

void AdaptiveTree::ResetSpares() {
  for (int k = 0; k < kSpares; ++k) frequency[Spare(k)] = 0;
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
  ResetSpares();
  // Parents follow from the children; the root's entry stays 0.
  for (int i = 0; i < kNodeCount; ++i) {
    const int c = child[i];
    parent[c] = static_cast<std::uint16_t>(i);
    if (c < kNodeCount) parent[c + 1] = static_cast<std::uint16_t>(i);
  }
  ResetWatch();
}

}  // namespace setup::lzhuf
