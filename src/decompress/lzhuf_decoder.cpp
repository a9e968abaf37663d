// The decoder's hot loop: 64-bit bit reservoir, a lookup table over the top of the tree kept in
// step with it, block-buffered I/O.
#include "decompress/lzhuf_decoder.h"

#include <bit>
#include <cstddef>
#include <cstring>

#include "decompress/position_tables.h"

namespace setup {

using namespace lzhuf;

namespace {

inline std::uint64_t LoadBigEndian64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
  return v;
}

}  // namespace

void LzhufDecoder::RefreshTable() {
  if (tree_.changedCount > AdaptiveTree::kChangedMax) {
    std::memset(tree_.watched, 0, sizeof tree_.watched);
    std::uint16_t path[kTableBits] = {};
    FillPair(tree_.child[kRoot], 0, 0, path);
  } else {
    for (int i = 0; i < tree_.changedCount; ++i) {
      const int node = tree_.changed[i];
      Refill(prefixCode_[node], prefixDepth_[node]);
    }
  }
  tree_.changedCount = 0;
}

// Refills the entries starting with the `depth` bits of `code`, walking to them from the root.
void LzhufDecoder::Refill(unsigned code, int depth) {
  std::uint16_t path[kTableBits] = {};
  unsigned pair = tree_.child[kRoot];
  for (int j = 0; j < depth; ++j) {
    const unsigned node = pair + (code >> (depth - 1 - j) & 1);
    path[j] = static_cast<std::uint16_t>(node);
    if (j == depth - 1 || tree_.child[node] >= kNodeCount) {
      FillNode(j + 1, code >> (depth - 1 - j), path);
      return;
    }
    pair = tree_.child[node];
  }
}

void LzhufDecoder::FillPair(unsigned pair, int depth, unsigned prefix, std::uint16_t* path) {
  for (unsigned bit = 0; bit < 2; ++bit) {
    path[depth] = static_cast<std::uint16_t>(pair + bit);
    FillNode(depth + 1, prefix << 1 | bit, path);
  }
}

// Fills the entries below the node path[depth - 1], reached by the `depth` bits of `code`.
void LzhufDecoder::FillNode(int depth, unsigned code, std::uint16_t* path) {
  const unsigned node = path[depth - 1];
  if (depth < kTableBits) {
    tree_.watched[node] = 1;
    prefixCode_[node] = static_cast<std::uint16_t>(code);
    prefixDepth_[node] = static_cast<std::uint8_t>(depth);
    if (tree_.child[node] < kNodeCount) {
      FillPair(tree_.child[node], depth, code, path);
      return;
    }
  }
  // A leaf, or as deep as the table goes: every code with this prefix starts the same way.
  const unsigned shift = static_cast<unsigned>(kTableBits - depth);
  TableEntry entry{};
  std::memcpy(entry.path, path, sizeof entry.path);
  for (int j = depth; j < kTableBits; ++j) entry.path[j] = AdaptiveTree::Spare(j);
  entry.last = path[depth - 1];
  entry.depth = static_cast<std::uint8_t>(depth);
  for (unsigned k = code << shift; k < (code + 1) << shift; ++k) table_[k] = entry;
}

void LzhufDecoder::StartWindow() {
  // The window in the order it was written: positions 4036..4095 (left by the previous file),
  // then 0..4035 filled with spaces; the first byte goes to position 4036.
  std::memcpy(output_, ring_ + kInitialFill, kMaxMatch);
  std::memset(output_ + kMaxMatch, ' ', kInitialFill);
}

void LzhufDecoder::SaveWindow(const std::uint8_t* end, std::int64_t produced) {
  const int ringPos = static_cast<int>((kInitialFill + produced) & (kRingSize - 1));
  const std::uint8_t* history = end - kRingSize;
  std::memcpy(ring_ + ringPos, history, kRingSize - ringPos);
  std::memcpy(ring_, history + (kRingSize - ringPos), ringPos);
}

LzhufDecoder::Result LzhufDecoder::Expand(std::int32_t expandedLength, ByteSource& in,
                                          ByteSink& out) {
  if (expandedLength <= 0) return Result::kDone;
  tree_.Init();
  StartWindow();

  // Input: bytes [pos, end) are unread; zeros follow `end`. Eight bytes can be loaded at `pos`
  // whenever pos <= limit.
  const std::uint8_t* pos = input_;
  std::uint8_t* end = input_;
  const std::uint8_t* limit = input_;
  bool exhausted = false;
  auto fillInput = [&] {
    if (exhausted) {
      pos = end;  // only zero bits remain
      return;
    }
    const std::size_t kept = static_cast<std::size_t>(end - pos);
    std::memmove(input_, pos, kept);
    const std::size_t got = in.Read(input_ + kept, kInputSize - kept);
    pos = input_;
    end = input_ + kept + got;
    std::memset(end, 0, kInputPadding);
    exhausted = got == 0;
    limit = exhausted ? end : end - 8;
  };

  fillInput();

  // The bit reservoir: `count` valid bits at the top of `bits`, next bit first.
  std::uint64_t bits = 0;
  int count = 0;

  std::uint8_t* const base = output_ + kRingSize;
  std::uint8_t* const flushAt = base + kOutputSize;
  std::uint8_t* w = base;
  std::int64_t produced = 0;  // bytes written before `base`
  // Where the output next needs a look: the buffer is full, or the stream's length is reached.
  // One comparison per symbol tells both.
  auto nextStop = [&] {
    const std::int64_t left = expandedLength - produced - (w - base);
    return left < flushAt - w ? w + left : flushAt;
  };
  std::uint8_t* stop = nextStop();

  AdaptiveTree& tree = tree_;
  std::uint16_t* const path = path_;

  // Each symbol starts with at least 56 bits: enough for the deepest leaf plus a coded distance.
  // It leaves at least 21, more than the table looks at, so the table is read before the refill
  // and does not wait for its load.
  static_assert(AdaptiveTree::kMaxDepth + 14 <= 56, "one refill must serve a whole symbol");
  static_assert(56 - AdaptiveTree::kMaxDepth - 14 >= kTableBits, "the table reads unrefilled bits");
  auto refill = [&] {
    while (pos > limit) fillInput();
    bits |= LoadBigEndian64(pos) >> count;
    pos += (63 - count) >> 3;
    count |= 56;
  };
  refill();

  for (;;) {
    // Walk from the root to a leaf, remembering the nodes passed: the first steps at once from
    // the table, the rest one bit at a time.
    if (tree.changedCount != 0) RefreshTable();
    const TableEntry& entry = table_[bits >> (64 - kTableBits)];
    refill();
    const int top = entry.depth;
    bits <<= top;
    unsigned n = tree.child[entry.last];
    int below = 0;  // nodes passed below the table's
    while (n < static_cast<unsigned>(kNodeCount)) {
      const unsigned node = n + static_cast<unsigned>(bits >> 63);
      bits <<= 1;
      path[below++] = static_cast<std::uint16_t>(node);
      n = tree.child[node];
    }
    count -= top + below;
    const int symbol = static_cast<int>(n) - kNodeCount;

    // Update the tree. While no node changes place, the nodes to increment are the ones just
    // passed, which the CPU can do without chasing parent links: first those below the table,
    // then the entry's own. The entry always lists kTableBits nodes (spare weights past a leaf
    // above the table's depth), so that the loop over them ends the same way for every code.
    std::uint16_t* const frequency = tree.frequency;
    if (frequency[kRoot] == kMaxFrequency) {
      tree.Rebuild();
      tree.UpdateFromNode(tree.parent[kNodeCount + symbol]);
    } else {
      unsigned node = 0, f = 0;
      int above = 0;  // ancestors of `node` below the root
      for (int i = below - 1; i >= 0; --i) {
        node = path[i];
        f = frequency[node];
        if (frequency[node + 1] == f) {
          above = top + i;
          goto exchange;
        }
        frequency[node] = static_cast<std::uint16_t>(f + 1);
      }
      // Unrolled, each level's exchange test is a branch of its own, predicted on its own.
#pragma GCC unroll 8
      for (int i = kTableBits - 1; i >= 0; --i) {
        node = entry.path[i];
        f = frequency[node];
        if (frequency[node + 1] == f) {
          above = i;
          goto exchange;
        }
        frequency[node] = static_cast<std::uint16_t>(f + 1);
      }
      ++frequency[kRoot];
      goto updated;
    exchange : {
      // The rest of the way goes by parent links. An exchange is almost always with a node at
      // the same depth: counting its ancestors down ends the loop without waiting for the chain
      // of parent loads to tell where the root is.
      unsigned up = tree.parent[tree.MoveUp(node, f)];
      for (int k = above; k > 0 && up != kRoot; --k) up = tree.parent[tree.IncrementNode(up)];
      if (up == kRoot) {
        ++frequency[kRoot];
      } else {
        tree.UpdateFromNode(up);  // the exchange was with a deeper node
      }
    }
    updated:;
    }

    if (symbol < 256) {
      *w++ = static_cast<std::uint8_t>(symbol);
    } else {
      const unsigned b = static_cast<unsigned>(bits >> 56);
      bits <<= 8;
      const int extra = positionLengthTable[b] - 2;
      const unsigned lower = ((b << extra) | static_cast<unsigned>(bits >> (64 - extra))) & 0x3F;
      bits <<= extra;
      count -= 8 + extra;
      const unsigned distance = static_cast<unsigned>(positionUpperTable[b]) << 6 | lower;

      const int length = MatchLength(symbol);
      const std::uint8_t* src = w - distance - 1;
      if (distance >= 7) {
        // Eight bytes at a time; the source stays at least eight bytes behind.
        for (int k = 0; k < length; k += 8) std::memcpy(w + k, src + k, 8);
      } else if (distance == 0) {
        std::memset(w, *src, static_cast<std::size_t>(length));
      } else {
        for (int k = 0; k < length; ++k) w[k] = src[k];
      }
      w += length;
    }

    if (w >= stop) {
      if (w >= flushAt) {
        if (!out.Write(base, static_cast<std::size_t>(w - base))) {
          SaveWindow(w, produced + (w - base));
          return Result::kWriteFailed;
        }
        produced += w - base;
        std::memmove(output_, w - kRingSize, kRingSize);
        w = base;
      }
      if (produced + (w - base) >= expandedLength) break;
      stop = nextStop();
    }
  }

  const bool written = w == base || out.Write(base, static_cast<std::size_t>(w - base));
  SaveWindow(w, produced + (w - base));
  return written ? Result::kDone : Result::kWriteFailed;
}

bool ExpandPayload(LzhufDecoder& decoder, std::string_view payload, std::string* expanded) {
  expanded->clear();
  if (payload.size() < 4) return false;
  const std::int32_t length =
      ReadLengthHeader(reinterpret_cast<const std::uint8_t*>(payload.data()));
  MemorySource source(payload.substr(4));
  StringSink sink;
  decoder.Expand(length, source, sink);
  *expanded = std::move(sink.bytes);
  return true;
}

}  // namespace setup
