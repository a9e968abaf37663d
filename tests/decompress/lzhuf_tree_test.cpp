// The adaptive tree's rebuild against the plain insertion it must equal, on trees of many shapes.
#include "decompress/lzhuf_tree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

namespace setup::lzhuf {
namespace {

// Halve the leaves, then insert each new node after every node of equal or lower weight, moving
// the heavier ones up one place at a time.
void InsertionRebuild(AdaptiveTree& tree) {
  int j = 0;
  for (int i = 0; i < kNodeCount; ++i) {
    if (tree.child[i] >= kNodeCount) {
      tree.frequency[j] = static_cast<std::uint16_t>((tree.frequency[i] + 1u) / 2u);
      tree.child[j] = tree.child[i];
      ++j;
    }
  }
  for (int i = 0, n = kSymbolCount; n < kNodeCount; i += 2, ++n) {
    const unsigned f = static_cast<unsigned>(tree.frequency[i]) + tree.frequency[i + 1];
    int k = n - 1;
    while (f < tree.frequency[k]) --k;
    ++k;
    for (int m = n; m > k; --m) {
      tree.frequency[m] = tree.frequency[m - 1];
      tree.child[m] = tree.child[m - 1];
    }
    tree.frequency[k] = static_cast<std::uint16_t>(f);
    tree.child[k] = static_cast<std::uint16_t>(i);
  }
  for (int i = 0; i < kNodeCount; ++i) {
    const int c = tree.child[i];
    tree.parent[c] = static_cast<std::uint16_t>(i);
    if (c < kNodeCount) tree.parent[c + 1] = static_cast<std::uint16_t>(i);
  }
}

// Symbol choices that give the rebuild long runs of equal weights, one heavy leaf, every leaf
// alike, and halvings that round up.
struct Shape {
  const char* name;
  int (*next)(std::mt19937&);
};

const Shape kShapes[] = {
    {"uniform", [](std::mt19937& r) { return static_cast<int>(r() % kSymbolCount); }},
    {"one heavy leaf",
     [](std::mt19937& r) { return r() % 4 == 0 ? static_cast<int>(r() % kSymbolCount) : 65; }},
    {"few literals", [](std::mt19937& r) { return static_cast<int>(r() % 3) * 100; }},
    {"skewed", [](std::mt19937& r) { return static_cast<int>(r() % (1 + r() % kSymbolCount)); }},
    {"matches only", [](std::mt19937& r) { return 256 + static_cast<int>(r() % 58); }},
    {"pairs", [](std::mt19937& r) { return static_cast<int>(r() % 2) + 2 * (r() % 8 == 0); }},
};

TEST(AdaptiveTree, RebuildEqualsInsertionOnEveryShape) {
  for (const Shape& shape : kShapes) {
    std::mt19937 random(99);
    auto tree = std::make_unique<AdaptiveTree>();
    auto expected = std::make_unique<AdaptiveTree>();
    tree->Init();
    int rebuilds = 0;
    // Each shape is followed across several rebuilds, so later ones start from rebuilt trees.
    while (rebuilds < 4) {
      const int symbol = shape.next(random);
      if (tree->frequency[kRoot] == kMaxFrequency) {
        std::memcpy(expected.get(), tree.get(), sizeof *tree);
        InsertionRebuild(*expected);
        tree->Rebuild();
        ++rebuilds;
        for (int i = 0; i < kNodeCount; ++i) {
          ASSERT_EQ(expected->frequency[i], tree->frequency[i]) << shape.name << " node " << i;
          ASSERT_EQ(expected->child[i], tree->child[i]) << shape.name << " node " << i;
        }
        for (int i = 0; i < kNodeCount + kSymbolCount; ++i) {
          if (i == kRoot) continue;
          ASSERT_EQ(expected->parent[i], tree->parent[i]) << shape.name << " entry " << i;
        }
        ASSERT_EQ(0, tree->parent[kRoot]) << shape.name;
        for (int i = 0; i + 1 < kNodeCount; ++i) {
          ASSERT_LE(tree->frequency[i], tree->frequency[i + 1]) << shape.name << " node " << i;
        }
      }
      tree->Update(symbol);
    }
  }
}

}  // namespace
}  // namespace setup::lzhuf
