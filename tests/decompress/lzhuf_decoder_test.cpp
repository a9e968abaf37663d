// The decoder on hand-made streams and, against the plain reference, on arbitrary bytes.
#include "decompress/lzhuf_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "decompress/byte_stream.h"
#include "decompress/lzhuf_encoder.h"
#include "decompress/reference_decoder.h"

namespace setup {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

std::string Expand(LzhufDecoder& decoder, const std::string& payload) {
  std::string out;
  EXPECT_TRUE(ExpandPayload(decoder, payload, &out));
  return out;
}

TEST(LzhufDecoder, KnownStreams) {
  struct Case {
    const char* name;
    std::string payload;
    std::string expanded;
  };
  const Case cases[] = {
      {"three literals", Bytes({3, 0, 0, 0, 0xF6, 0xFB, 0xBD, 0xE0}), "abc"},
      {"match of 6 at distance 2", Bytes({9, 0, 0, 0, 0xF6, 0xFB, 0xBD, 0xF1, 0xE0, 0x20}),
       "abcabcabc"},
      {"match of 9 at distance 0", Bytes({10, 0, 0, 0, 0xF6, 0xE2, 0xE1, 0x90, 0x01, 0x00}),
       std::string(10, 'a')},
      {"zero header", Bytes({0, 0, 0, 0, 0xF6, 0xFB}), ""},
      {"negative header", Bytes({0, 0, 0, 0x80, 0xF6, 0xFB, 0xBD, 0xE0}), ""},
      {"all-ones header", Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x12}), ""},
      // The last byte carried the distance's low bits; zero bits make it distance 0.
      {"truncated stream", Bytes({9, 0, 0, 0, 0xF6, 0xFB, 0xBD, 0xF1, 0xE0}), "abccccccc"},
  };
  auto decoder = std::make_unique<LzhufDecoder>();
  for (const Case& c : cases) {
    EXPECT_EQ(c.expanded, Expand(*decoder, c.payload)) << c.name;
  }
}

TEST(LzhufDecoder, FinalMatchIsWrittenWhole) {
  auto decoder = std::make_unique<LzhufDecoder>();
  // The abc-three-times stream with a header of 4: the match of 6 that reaches past it stays.
  EXPECT_EQ("abcabcabc", Expand(*decoder, Bytes({4, 0, 0, 0, 0xF6, 0xFB, 0xBD, 0xF1, 0xE0, 0x20})));
  EXPECT_EQ("abc", Expand(*decoder, Bytes({3, 0, 0, 0, 0xF6, 0xFB, 0xBD, 0xF1, 0xE0, 0x20})));
}

// Random bytes are a valid stream of random symbols: matches of every length and distance,
// reaching into the initial spaces and into positions left by the previous file.
TEST(LzhufDecoder, MatchesReferenceOnArbitraryStreamsInSequence) {
  auto decoder = std::make_unique<LzhufDecoder>();
  testing::ReferenceDecoder reference;
  std::mt19937 random(12345);
  const int lengths[] = {1, 2, 59, 60, 61, 4095, 4096, 4097, 100000, 300000};
  for (int length : lengths) {
    for (int inputSize : {0, 1, 7, 8, 9, 100, 5000, 200000}) {
      std::string payload(4 + inputSize, '\0');
      payload[0] = static_cast<char>(length & 0xFF);
      payload[1] = static_cast<char>(length >> 8 & 0xFF);
      payload[2] = static_cast<char>(length >> 16 & 0xFF);
      for (int i = 4; i < 4 + inputSize; ++i) payload[i] = static_cast<char>(random());
      const std::string expected = reference.Decode(payload);
      const std::string actual = Expand(*decoder, payload);
      ASSERT_EQ(expected.size(), actual.size()) << length << " from " << inputSize;
      ASSERT_TRUE(expected == actual) << length << " from " << inputSize;
    }
  }
}

// Records every write, to see where the output blocks end.
class BlockSink final : public lzhuf::ByteSink {
 public:
  bool Write(const std::uint8_t* data, std::size_t size) override {
    sizes.push_back(size);
    bytes.append(reinterpret_cast<const char*>(data), size);
    return true;
  }
  std::vector<std::size_t> sizes;
  std::string bytes;
};

// Lengths at the edges of the output buffer: the stream ends where the reference ends, every block
// but the last is full, and no empty block is written.
TEST(LzhufDecoder, EndsLikeTheReferenceAtTheEdgesOfOutputBlocks) {
  auto decoder = std::make_unique<LzhufDecoder>();
  testing::ReferenceDecoder reference;
  std::mt19937 random(99);
  constexpr int kBlock = static_cast<int>(LzhufDecoder::kOutputSize);
  for (int length : {kBlock - 1, kBlock, kBlock + 1, kBlock + 59, 2 * kBlock, 2 * kBlock + 1}) {
    std::string payload(4 + 300000, '\0');
    for (int i = 0; i < 4; ++i) payload[i] = static_cast<char>(length >> (8 * i) & 0xFF);
    for (std::size_t i = 4; i < payload.size(); ++i) payload[i] = static_cast<char>(random());
    lzhuf::MemorySource source(std::string_view(payload).substr(4));
    BlockSink sink;
    ASSERT_EQ(LzhufDecoder::Result::kDone, decoder->Expand(length, source, sink)) << length;
    EXPECT_TRUE(reference.Decode(payload) == sink.bytes) << length;
    ASSERT_FALSE(sink.sizes.empty()) << length;
    for (std::size_t i = 0; i < sink.sizes.size(); ++i) {
      EXPECT_NE(0u, sink.sizes[i]) << length << " block " << i;
      if (i + 1 < sink.sizes.size()) {
        EXPECT_LE(LzhufDecoder::kOutputSize, sink.sizes[i]) << length << " block " << i;
      }
    }
  }
}

// A stream skewed towards one symbol crosses many rebuilds quickly.
TEST(LzhufDecoder, MatchesReferenceAcrossRebuilds) {
  auto decoder = std::make_unique<LzhufDecoder>();
  testing::ReferenceDecoder reference;
  std::mt19937 random(7);
  std::string payload = Bytes({0x40, 0x42, 0x0F, 0x00});  // 1,000,000
  for (int i = 0; i < 400000; ++i) {
    // Mostly zero bits (the lightest leaf at each level), now and then arbitrary bytes.
    payload.push_back(static_cast<char>(random() % 8 == 0 ? random() : 0));
  }
  const std::string expected = reference.Decode(payload);
  ASSERT_GE(expected.size(), 1000000u);
  EXPECT_TRUE(expected == Expand(*decoder, payload));
}

// A payload made of exactly the given symbols.
std::string Payload(std::int32_t length, const std::function<void(lzhuf::SymbolWriter&)>& write) {
  lzhuf::StringSink sink;
  {
    lzhuf::SymbolWriter writer(sink);
    write(writer);
    writer.Finish();
  }
  std::string header(4, '\0');
  for (int i = 0; i < 4; ++i) header[i] = static_cast<char>(length >> (8 * i) & 0xFF);
  return header + sink.bytes;
}

TEST(LzhufDecoder, MatchesAtTheEdgesOfTheWindow) {
  struct Case {
    const char* name;
    std::string payload;
    std::string expanded;
  };
  const Case cases[] = {
      {"distance 0, length 60",
       Payload(61,
               [](auto& w) {
                 w.Literal('q');
                 w.Match(60, 0);
               }),
       std::string(61, 'q')},
      {"first match reads the initial spaces",
       Payload(12,
               [](auto& w) {
                 w.Literal('x');
                 w.Match(10, 100);
                 w.Literal('y');
               }),
       "x          y"},
      {"farthest distance from the first byte reaches the last space",
       Payload(4,
               [](auto& w) {
                 w.Literal('z');
                 w.Match(3, 4036);
               }),
       "z   "},
  };
  testing::ReferenceDecoder reference;
  auto decoder = std::make_unique<LzhufDecoder>();
  for (const Case& c : cases) {
    EXPECT_EQ(c.expanded, Expand(*decoder, c.payload)) << c.name;
    EXPECT_EQ(c.expanded, reference.Decode(c.payload)) << c.name;
  }
}

// The window positions a file does not overwrite keep what the previous file left there; a
// stream that reads them first sees the earlier file's bytes (zeros before any file).
TEST(LzhufDecoder, UnwrittenWindowTailCarriesOverBetweenFiles) {
  // A match at distance 4095 from the first position reads positions 4036..4095.
  const std::string readsTail = Payload(60, [](auto& w) { w.Match(60, 4095); });
  std::string previous;
  for (int i = 0; i < 5000; ++i) previous.push_back(static_cast<char>('a' + i % 26));
  auto decoder = std::make_unique<LzhufDecoder>();
  testing::ReferenceDecoder reference;
  EXPECT_EQ(std::string(60, '\0'), Expand(*decoder, readsTail));
  EXPECT_EQ(std::string(60, '\0'), reference.Decode(readsTail));
  for (std::size_t length : {std::size_t{30}, std::size_t{100}, std::size_t{5000}}) {
    const std::string payload = lzhuf::CompressBuffer(previous.substr(0, length));
    EXPECT_EQ(reference.Decode(payload), Expand(*decoder, payload));
    const std::string tail = reference.Decode(readsTail);
    EXPECT_EQ(tail, Expand(*decoder, readsTail)) << length;
    // Written bytes 0..59 of the previous file sit in positions 4036..4095 (when it had them).
    if (length >= 60 && length <= 4096) {
      EXPECT_EQ(previous.substr(0, 60), tail) << length;
    }
  }
}

// The root weighs 314 at first and one more per symbol: the first rebuild comes at the start of
// the 32,455th symbol. The plain reference checks the writer's and the decoder's trees there.
TEST(LzhufDecoder, CrossesTheFirstRebuildsLikeTheReference) {
  std::string expected;
  for (int i = 0; i < 100000; ++i)
    expected.push_back(static_cast<char>((static_cast<unsigned>(i) * i + i / 7) % 251));
  const std::string payload = Payload(static_cast<std::int32_t>(expected.size()), [&](auto& w) {
    for (char c : expected) w.Literal(static_cast<std::uint8_t>(c));
  });
  testing::ReferenceDecoder reference;
  auto decoder = std::make_unique<LzhufDecoder>();
  EXPECT_TRUE(expected == reference.Decode(payload));
  EXPECT_TRUE(expected == Expand(*decoder, payload));
}

// One byte over and over sits a level or two below the root: the rest of each of its table
// entries stands in with spare weights, which must never come to look like a run of equal
// weights however long the stretch (here longer than the 16-bit weights could count).
TEST(LzhufDecoder, ShortCodesForLongStretches) {
  std::string expected;
  for (int i = 0; i < 200000; ++i) expected.push_back(i % 5000 == 4999 ? 'b' : 'a');
  const std::string payload = Payload(static_cast<std::int32_t>(expected.size()), [&](auto& w) {
    for (char c : expected) w.Literal(static_cast<std::uint8_t>(c));
  });
  testing::ReferenceDecoder reference;
  auto decoder = std::make_unique<LzhufDecoder>();
  EXPECT_TRUE(expected == reference.Decode(payload));
  EXPECT_TRUE(expected == Expand(*decoder, payload));
}

// Symbol weights in Fibonacci proportion make the tree as deep as it gets; the decoder's one
// refill per symbol must still cover the longest code followed by the longest distance code.
TEST(LzhufDecoder, DecodesTheDeepestCodes) {
  int weights[21] = {2, 2};
  for (int i = 2; i < 21; ++i) weights[i] = weights[i - 1] + weights[i - 2];
  std::string expected;
  int deepest = 0;
  const std::string payload = Payload(0, [&](lzhuf::SymbolWriter& w) {
    for (int round = weights[20]; round > 1; --round) {
      for (int i = 0; i < 21; ++i) {
        if (weights[i] < round) continue;
        w.Literal(static_cast<std::uint8_t>('A' + i));
        expected.push_back(static_cast<char>('A' + i));
      }
    }
    std::uint8_t bits[lzhuf::kSymbolCount];
    w.SymbolBits(bits);
    for (std::uint8_t b : bits) deepest = std::max<int>(deepest, b);
    // The rarest symbols, each followed by a match at the farthest distance.
    for (int s = 300; s < 310; ++s) {
      w.Match(lzhuf::MatchLength(s), 4095);
      for (int k = 0; k < lzhuf::MatchLength(s); ++k) {
        expected.push_back(expected[expected.size() - 4096]);
      }
    }
  });
  EXPECT_GE(deepest, 15);
  EXPECT_LE(deepest, lzhuf::AdaptiveTree::kMaxDepth);
  std::string exact = payload;
  const auto length = static_cast<std::uint32_t>(expected.size());
  for (int i = 0; i < 4; ++i) exact[i] = static_cast<char>(length >> (8 * i) & 0xFF);
  testing::ReferenceDecoder reference;
  auto decoder = std::make_unique<LzhufDecoder>();
  EXPECT_TRUE(expected == reference.Decode(exact));
  EXPECT_TRUE(expected == Expand(*decoder, exact));
}

class FailingSink final : public lzhuf::ByteSink {
 public:
  explicit FailingSink(int failAt) : failAt_(failAt) {}
  bool Write(const std::uint8_t*, std::size_t) override { return ++calls < failAt_; }
  int calls = 0;

 private:
  int failAt_;
};

TEST(LzhufDecoder, StopsAtTheFirstFailedWrite) {
  auto decoder = std::make_unique<LzhufDecoder>();
  const std::string stream(100, '\x5A');
  for (int failAt : {1, 2, 3}) {
    lzhuf::MemorySource source(stream);
    FailingSink sink(failAt);
    // Enough output for several blocks; zero bits continue after the input.
    const auto result =
        decoder->Expand(static_cast<std::int32_t>(LzhufDecoder::kOutputSize * 3), source, sink);
    EXPECT_EQ(LzhufDecoder::Result::kWriteFailed, result) << failAt;
    EXPECT_EQ(failAt, sink.calls);
  }
}

}  // namespace
}  // namespace setup
