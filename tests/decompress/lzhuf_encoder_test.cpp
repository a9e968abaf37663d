// The encoder: every parse of a varied corpus expands back to its input.
#include "decompress/lzhuf_encoder.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "decompress/lzhuf_decoder.h"
#include "decompress/reference_decoder.h"

namespace setup::lzhuf {
namespace {

struct Sample {
  std::string name;
  std::string bytes;
};

std::vector<Sample> Corpus() {
  std::mt19937 random(2024);
  std::vector<Sample> corpus;
  corpus.push_back({"empty", ""});
  corpus.push_back({"one byte", "x"});
  corpus.push_back({"two bytes", "xy"});
  corpus.push_back({"three spaces", "   "});
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  corpus.push_back({"all byte values", all});
  corpus.push_back({"all byte values twice", all + all});
  corpus.push_back({"long run", std::string(200000, 'z')});
  corpus.push_back({"spaces", std::string(10000, ' ')});
  std::string randomBytes(300000, '\0');
  for (char& c : randomBytes) c = static_cast<char>(random());
  corpus.push_back({"random", randomBytes});
  const char* words[] = {"the ",        "installer ", "expands ", "every ",  "file ", "to ", "its ",
                         "destination", ".\r\n",      "and ",     "writes ", "a ",    "log "};
  std::string text;
  while (text.size() < 400000) text += words[random() % std::size(words)];
  corpus.push_back({"text", text});
  // Periods near the window's size test the farthest distances.
  std::string periodic;
  for (int period : {4095, 4096, 4097}) {
    std::string unit(static_cast<std::size_t>(period), '\0');
    for (char& c : unit) c = static_cast<char>(random() % 7);
    for (int i = 0; i < 5; ++i) periodic += unit;
  }
  corpus.push_back({"periods around the window size", periodic});
  // Several megabytes of mixed content: crosses many rebuilds and buffer refills.
  std::string mixed;
  while (mixed.size() < 3'500'000) {
    switch (random() % 3) {
      case 0:
        mixed += text.substr(random() % 300000, 5000 + random() % 20000);
        break;
      case 1:
        mixed += randomBytes.substr(random() % 200000, 1000 + random() % 5000);
        break;
      default:
        mixed += std::string(random() % 3000, static_cast<char>(random()));
    }
  }
  corpus.push_back({"mixed", mixed});
  return corpus;
}

TEST(LzhufEncoder, RoundTripsInBothParses) {
  auto decoder = std::make_unique<LzhufDecoder>();
  for (const Sample& sample : Corpus()) {
    for (ParseMode parse : {ParseMode::kGreedy, ParseMode::kOptimal}) {
      const std::string payload = CompressBuffer(sample.bytes, {parse});
      std::string expanded;
      ASSERT_TRUE(ExpandPayload(*decoder, payload, &expanded));
      ASSERT_EQ(sample.bytes.size(), expanded.size()) << sample.name;
      ASSERT_TRUE(sample.bytes == expanded) << sample.name;
    }
  }
}

// Where matches compete (text, mixed data) the optimal parse must win clearly; elsewhere
// (runs, noise) it must at least not lose.
TEST(LzhufEncoder, OptimalParseBeatsGreedy) {
  for (const Sample& sample : Corpus()) {
    if (sample.bytes.size() < 10000) continue;
    const double greedy =
        static_cast<double>(CompressBuffer(sample.bytes, {ParseMode::kGreedy}).size());
    const double optimal =
        static_cast<double>(CompressBuffer(sample.bytes, {ParseMode::kOptimal}).size());
    if (sample.name == "text" || sample.name == "mixed") {
      EXPECT_LT(optimal, greedy * 0.97) << sample.name;
    } else {
      EXPECT_LE(optimal, greedy * 1.01 + 16) << sample.name;
    }
  }
}

}  // namespace
}  // namespace setup::lzhuf
