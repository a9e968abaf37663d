// The decoder on hand-made streams and, against the plain reference, on arbitrary bytes.
#include "decompress/lzhuf_decoder.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "decompress/byte_stream.h"
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
