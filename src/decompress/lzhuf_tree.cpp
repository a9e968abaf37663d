// Initialising and rebuilding the adaptive tree, and moving a node past its equals.
#include "decompress/lzhuf_tree.h"

#include <cstring>
#include <initializer_list>

namespace setup::lzhuf {

void AdaptiveTree::Init() {
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
  frequency[kNodeCount] = 0xFFFF;
  parent[kRoot] = 0;
  IndexWeights();
}

void AdaptiveTree::IndexWeights() {
  for (int i = 0; i < kNodeCount; ++i) lastOfWeight[frequency[i]] = static_cast<std::uint16_t>(i);
  std::memset(watched, 0, sizeof watched);
  changedCount = kChangedMax + 1;
}

void AdaptiveTree::NoteChanged(int n, int l) {
  for (const int node : {n, l}) {
    if (!watched[node] || changedCount > kChangedMax) continue;
    if (changedCount == kChangedMax) {
      ++changedCount;
    } else {
      changed[changedCount++] = static_cast<std::uint16_t>(node);
    }
  }
}

void AdaptiveTree::Rebuild() {
  // Gather the leaves at the bottom, in their old order, at half weight.
  int j = 0;
  for (int i = 0; i < kNodeCount; ++i) {
    if (child[i] >= kNodeCount) {
      frequency[j] = static_cast<std::uint16_t>((frequency[i] + 1u) / 2u);
      child[j] = child[i];
      ++j;
    }
  }
  // Pair them up again, inserting each new node after every node of equal or lower weight.
  for (int i = 0, n = kSymbolCount; n < kNodeCount; i += 2, ++n) {
    const unsigned f = static_cast<unsigned>(frequency[i]) + frequency[i + 1];
    int k = n - 1;
    while (f < frequency[k]) --k;
    ++k;
    const std::size_t moved = static_cast<std::size_t>(n - k) * sizeof(std::uint16_t);
    std::memmove(&frequency[k + 1], &frequency[k], moved);
    std::memmove(&child[k + 1], &child[k], moved);
    frequency[k] = static_cast<std::uint16_t>(f);
    child[k] = static_cast<std::uint16_t>(i);
  }
  // Parents follow from the children; the root's entry stays 0.
  for (int i = 0; i < kNodeCount; ++i) {
    const int c = child[i];
    parent[c] = static_cast<std::uint16_t>(i);
    if (c < kNodeCount) parent[c + 1] = static_cast<std::uint16_t>(i);
  }
  IndexWeights();
}

int AdaptiveTree::MoveUp(int n, unsigned f) {
  const int l = lastOfWeight[f];
  if (watched[n] | watched[l]) NoteChanged(n, l);
  frequency[l] = static_cast<std::uint16_t>(f + 1);
  lastOfWeight[f] = static_cast<std::uint16_t>(l - 1);  // n < l still weighs f
  const unsigned kept = lastOfWeight[f + 1];
  lastOfWeight[f + 1] = static_cast<std::uint16_t>(frequency[l + 1] == f + 1 ? kept : unsigned(l));

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
