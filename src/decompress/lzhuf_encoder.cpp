// The encoder: hash-chain match finder over the 4096-byte window, greedy or cost-optimal parse,
// and the adaptive-tree bit writer.
#include "decompress/lzhuf_encoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "decompress/position_tables.h"

namespace setup::lzhuf {

// ---- SymbolWriter ---------------------------------------------------------------------------

SymbolWriter::SymbolWriter(ByteSink& out) : out_(out) { tree_.Init(); }

void SymbolWriter::PutSymbol(int symbol) {
  // The code is the path from the root; each node's index tells which child it is, since
  // siblings sit at an even index and the next one.
  std::uint32_t code = 0;
  int depth = 0;
  for (int n = tree_.parent[kNodeCount + symbol]; n != kRoot; n = tree_.parent[n]) {
    code |= static_cast<std::uint32_t>(n & 1) << depth;
    ++depth;
  }
  PutBits(code, depth);
  tree_.Update(symbol);
}

void SymbolWriter::Match(int length, int distance) {
  PutSymbol(MatchSymbol(length));
  const PositionCode upper = positionCodes[distance >> 6];
  PutBits(upper.code, upper.bits);
  PutBits(static_cast<std::uint32_t>(distance & 0x3F), 6);
}

void SymbolWriter::PutBits(std::uint32_t value, int count) {
  bitBuffer_ = bitBuffer_ << count | value;
  bitCount_ += count;
  if (bitCount_ >= 32) FlushBytes();
}

void SymbolWriter::FlushBytes() {
  while (bitCount_ >= 8) {
    bitCount_ -= 8;
    buffer_[used_++] = static_cast<std::uint8_t>(bitBuffer_ >> bitCount_);
  }
  if (used_ > sizeof buffer_ - 8) {
    ok_ = out_.Write(buffer_, used_) && ok_;
    used_ = 0;
  }
}

bool SymbolWriter::Finish() {
  if (bitCount_ % 8 != 0) PutBits(0, 8 - bitCount_ % 8);
  FlushBytes();
  if (used_ > 0) ok_ = out_.Write(buffer_, used_) && ok_;
  used_ = 0;
  return ok_;
}

void SymbolWriter::SymbolBits(std::uint8_t* bits) const {
  // Children always sit below their parent, so one downward sweep sets every depth.
  std::uint8_t depth[kNodeCount];
  depth[kRoot] = 0;
  for (int n = kRoot; n >= 0; --n) {
    const int c = tree_.child[n];
    if (c >= kNodeCount) {
      bits[c - kNodeCount] = depth[n];
    } else {
      depth[c] = depth[c + 1] = static_cast<std::uint8_t>(depth[n] + 1);
    }
  }
}

// ---- Encoder --------------------------------------------------------------------------------

namespace {

// Stream positions: the decoder's window starts as 4036 spaces, which matches may use, preceded
// by 60 bytes the encoder must never refer to. Position kBase is the first space.
constexpr std::uint32_t kBase = kRingSize;
constexpr std::uint32_t kDataStart = kBase + kInitialFill;
constexpr int kHashBits = 15;
constexpr int kBlock = 4096;  // positions parsed together with one set of code lengths
constexpr int kMaxCandidates = 16;
constexpr std::size_t kChunk = 256 * 1024;
constexpr std::size_t kPadding = 16;
constexpr std::size_t kBufferSize = kRingSize + kBlock + kChunk + 2 * kMaxMatch + kPadding;

struct Candidate {
  std::uint16_t length;
  std::uint16_t distance;
};

class Encoder {
 public:
  EncodeResult Run(ByteSource& in, std::uint32_t length, ByteSink& out,
                   const EncoderOptions& options);

 private:
  bool Ensure(ByteSource& in, std::uint32_t keepFrom, std::uint32_t wantEnd);
  const std::uint8_t* At(std::uint32_t pos) const { return buffer_ + (pos - bufStart_); }
  std::uint32_t Hash(std::uint32_t pos) const {
    const std::uint8_t* p = At(pos);
    const std::uint32_t v = p[0] | p[1] << 8 | p[2] << 16;
    return (v * 0x9E3779B1u) >> (32 - kHashBits);
  }
  void Insert(std::uint32_t pos) {
    if (pos + kMinMatch > streamEnd_) return;
    const std::uint32_t h = Hash(pos);
    prev_[pos & (kRingSize - 1)] = head_[h];
    head_[h] = pos;
  }
  int FindMatches(std::uint32_t pos, Candidate* found) const;
  void GreedyBlock(SymbolWriter& writer, std::uint32_t& pos, std::uint32_t blockEnd);
  std::uint32_t OptimalBlock(SymbolWriter& writer, std::uint32_t blockStart,
                             std::uint32_t blockEnd);

  int maxChain_ = 0;
  std::uint32_t streamEnd_ = 0;
  std::uint32_t bufStart_ = 0;
  std::uint32_t bufEnd_ = 0;
  std::uint8_t buffer_[kBufferSize];
  std::uint32_t head_[1u << kHashBits];
  std::uint32_t prev_[kRingSize];

  Candidate candidates_[kBlock][kMaxCandidates];
  std::uint8_t candidateCount_[kBlock];
  // The cheapest way found to each position; the last match may end past the block.
  std::uint32_t cost_[kBlock + kMaxMatch];
  Candidate choice_[kBlock + kMaxMatch];  // length 1 stands for a literal
  Candidate parse_[kBlock + kMaxMatch];
};

bool Encoder::Ensure(ByteSource& in, std::uint32_t keepFrom, std::uint32_t wantEnd) {
  wantEnd = std::min(wantEnd, streamEnd_);
  if (bufEnd_ >= wantEnd) return true;
  const std::uint32_t from = std::max(keepFrom > kRingSize ? keepFrom - kRingSize : 0, bufStart_);
  std::memmove(buffer_, At(from), bufEnd_ - from);
  bufStart_ = from;
  const std::size_t capacity = kBufferSize - kPadding;
  while (bufEnd_ < streamEnd_ && bufEnd_ - bufStart_ < capacity) {
    const std::size_t room =
        std::min<std::size_t>(capacity - (bufEnd_ - bufStart_), streamEnd_ - bufEnd_);
    const std::size_t got = in.Read(buffer_ + (bufEnd_ - bufStart_), room);
    if (got == 0) return false;
    bufEnd_ += static_cast<std::uint32_t>(got);
  }
  return bufEnd_ >= wantEnd;
}

int Encoder::FindMatches(std::uint32_t pos, Candidate* found) const {
  const int maxLength = static_cast<int>(std::min<std::uint32_t>(kMaxMatch, streamEnd_ - pos));
  if (maxLength < kMinMatch) return 0;
  const std::uint32_t oldest = pos - kRingSize > kBase ? pos - kRingSize : kBase;
  const std::uint8_t* const here = At(pos);
  int best = kMinMatch - 1;
  int count = 0;
  std::uint32_t c = head_[Hash(pos)];
  for (int chain = maxChain_; chain > 0 && c >= oldest && c < pos; --chain) {
    const std::uint8_t* there = At(c);
    if (there[best] == here[best]) {
      int length = 0;
      while (length < maxLength) {
        std::uint64_t a, b;
        std::memcpy(&a, there + length, 8);
        std::memcpy(&b, here + length, 8);
        if (a != b) {
          length += std::countr_zero(a ^ b) / 8;
          break;
        }
        length += 8;
      }
      length = std::min(length, maxLength);
      if (length > best) {
        best = length;
        const Candidate candidate{static_cast<std::uint16_t>(length),
                                  static_cast<std::uint16_t>(pos - c - 1)};
        if (count < kMaxCandidates) {
          found[count++] = candidate;
        } else {
          found[kMaxCandidates - 1] = candidate;
        }
        if (length == maxLength) break;
      }
    }
    c = prev_[c & (kRingSize - 1)];
  }
  return count;
}

void Encoder::GreedyBlock(SymbolWriter& writer, std::uint32_t& pos, std::uint32_t blockEnd) {
  Candidate found[kMaxCandidates];
  while (pos < blockEnd) {
    const int count = FindMatches(pos, found);
    if (count == 0) {
      writer.Literal(*At(pos));
      Insert(pos++);
      continue;
    }
    const Candidate best = found[count - 1];
    writer.Match(best.length, best.distance);
    for (int k = 0; k < best.length; ++k) Insert(pos++);
  }
}

// Parses the block as the cheapest path through its matches, priced with the code lengths the
// tree has at its start, writes it and answers where the next block starts: the last match may
// run past the block's end.
std::uint32_t Encoder::OptimalBlock(SymbolWriter& writer, std::uint32_t blockStart,
                                    std::uint32_t blockEnd) {
  const int n = static_cast<int>(blockEnd - blockStart);
  const int reach =
      static_cast<int>(std::min<std::uint32_t>(blockEnd + kMaxMatch - 1, streamEnd_) - blockStart);
  // Every position's matches, except inside a match as long as the format allows: there the
  // longest match is taken for granted and searching is skipped.
  int skip = 0;
  for (int k = 0; k < n; ++k) {
    const std::uint32_t pos = blockStart + static_cast<std::uint32_t>(k);
    if (skip > 0) {
      --skip;
      candidateCount_[k] = 0;
    } else {
      const int count = FindMatches(pos, candidates_[k]);
      candidateCount_[k] = static_cast<std::uint8_t>(count);
      if (count > 0 && candidates_[k][count - 1].length == kMaxMatch) skip = kMaxMatch - 1;
    }
    Insert(pos);
  }

  std::uint8_t bits[kSymbolCount];
  writer.SymbolBits(bits);
  cost_[0] = 0;
  std::fill(cost_ + 1, cost_ + reach + 1, 0xFFFFFFFFu);
  const std::uint8_t* data = At(blockStart);
  for (int k = 0; k < n; ++k) {
    const std::uint32_t here = cost_[k];
    const std::uint32_t literal = here + bits[data[k]];
    if (literal < cost_[k + 1]) {
      cost_[k + 1] = literal;
      choice_[k + 1] = {1, 0};
    }
    int shorter = kMinMatch - 1;
    for (int m = 0; m < candidateCount_[k]; ++m) {
      const Candidate c = candidates_[k][m];
      const std::uint32_t base = here + static_cast<std::uint32_t>(DistanceBits(c.distance));
      for (int length = shorter + 1; length <= c.length; ++length) {
        const std::uint32_t total = base + bits[MatchSymbol(length)];
        if (total < cost_[k + length]) {
          cost_[k + length] = total;
          choice_[k + length] = {static_cast<std::uint16_t>(length), c.distance};
        }
      }
      shorter = c.length;
    }
  }

  // Where to stop: a path ending past the block has covered more bytes, each worth about the
  // block's average cost.
  int end = n;
  const std::uint64_t average = n > 0 ? cost_[n] / static_cast<std::uint32_t>(n) : 0;
  for (int e = n + 1; e <= reach; ++e) {
    if (cost_[e] == 0xFFFFFFFFu) continue;
    if (cost_[e] < cost_[end] + average * static_cast<std::uint64_t>(e - end)) end = e;
  }
  for (int k = n; k < end; ++k) Insert(blockStart + static_cast<std::uint32_t>(k));

  int steps = 0;
  for (int k = end; k > 0; k -= choice_[k].length) parse_[steps++] = choice_[k];
  int k = 0;
  while (steps > 0) {
    const Candidate c = parse_[--steps];
    if (c.length == 1) {
      writer.Literal(data[k]);
    } else {
      writer.Match(c.length, c.distance);
    }
    k += c.length;
  }
  return blockStart + static_cast<std::uint32_t>(end);
}

EncodeResult Encoder::Run(ByteSource& in, std::uint32_t length, ByteSink& out,
                          const EncoderOptions& options) {
  maxChain_ = std::max(1, options.maxChain);
  streamEnd_ = kDataStart + length;
  bufStart_ = kBase;
  bufEnd_ = kDataStart;
  std::memset(buffer_, ' ', kInitialFill);
  std::fill(std::begin(head_), std::end(head_), 0u);  // below kBase: no candidate

  const std::uint8_t header[4] = {
      static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
      static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
  if (!out.Write(header, sizeof header)) return EncodeResult::kWriteFailed;
  if (length == 0) return EncodeResult::kDone;

  auto writer = std::make_unique<SymbolWriter>(out);
  if (!Ensure(in, kDataStart, kDataStart + kBlock + kMaxMatch + kMinMatch)) {
    return EncodeResult::kShortInput;
  }
  for (std::uint32_t pos = kBase; pos < kDataStart; ++pos) Insert(pos);

  std::uint32_t pos = kDataStart;
  while (pos < streamEnd_) {
    const std::uint32_t blockEnd = std::min<std::uint32_t>(pos + kBlock, streamEnd_);
    if (!Ensure(in, pos, blockEnd + kMaxMatch + kMinMatch)) return EncodeResult::kShortInput;
    if (options.parse == ParseMode::kGreedy) {
      GreedyBlock(*writer, pos, blockEnd);
    } else {
      pos = OptimalBlock(*writer, pos, blockEnd);
    }
  }
  return writer->Finish() ? EncodeResult::kDone : EncodeResult::kWriteFailed;
}

}  // namespace

EncodeResult CompressStream(ByteSource& in, std::uint32_t length, ByteSink& out,
                            const EncoderOptions& options) {
  auto encoder = std::make_unique<Encoder>();
  return encoder->Run(in, length, out, options);
}

std::string CompressBuffer(std::string_view data, const EncoderOptions& options) {
  MemorySource source(data);
  StringSink sink;
  CompressStream(source, static_cast<std::uint32_t>(data.size()), sink, options);
  return std::move(sink.bytes);
}

}  // namespace setup::lzhuf
