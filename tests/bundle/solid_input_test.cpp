// A solid archive's body: its files come out as from the plain body, and every way its stream
// or its plain length can be wrong is refused, whatever the body reader had taken by then.
#include "bundle/solid_input.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "bundle/bundle_format.h"
#include "decompress/xz_stream.h"

namespace setup::bundle {
namespace {

class MemoryInput final : public Input {
 public:
  explicit MemoryInput(const std::string& bytes) : bytes_(bytes) {}
  std::size_t Read(void* buffer, std::size_t size) override {
    const std::size_t n = std::min(size, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
  }

 private:
  const std::string& bytes_;
  std::size_t position_ = 0;
};

class MemoryOutput final : public Output {
 public:
  bool BeginFile(const std::string& name, bool) override {
    current_ = &files[name];
    return true;
  }
  bool Write(const void* data, std::size_t size) override {
    current_->append(static_cast<const char*>(data), size);
    return true;
  }
  bool EndFile() override { return true; }
  std::map<std::string, std::string> files;

 private:
  std::string* current_ = nullptr;
};

std::string PlainBody() {
  std::string big;
  for (int i = 0; big.size() < 400000; ++i) big += "line " + std::to_string(i % 1234) + "\n";
  std::string body;
  AppendU32(&body, 6);
  body += "Sample";
  AppendU32(&body, 3);
  for (const auto& [name, data] : {std::pair<std::string, std::string>{"setup", "program"},
                                   {"data/big.txt", big},
                                   {"empty", ""}}) {
    AppendU32(&body, static_cast<std::uint32_t>(name.size()));
    body += name;
    AppendU32(&body, 0);
    AppendU64(&body, data.size());
    body += data;
  }
  return body;
}

std::string Xz(const std::string& plain) {
  xz::StreamEncoder encoder(plain.size());
  std::string out(plain.size() + 4096, '\0');
  xz::Step step;
  step.in = reinterpret_cast<const std::uint8_t*>(plain.data());
  step.inSize = plain.size();
  step.out = reinterpret_cast<std::uint8_t*>(out.data());
  step.outSize = out.size();
  EXPECT_EQ(xz::Status::kEnd, encoder.Encode(step, true));
  out.resize(step.produced);
  return out;
}

std::string SolidBody(std::uint64_t plainLength, const std::string& stream,
                      std::uint32_t mark = kSolidMark) {
  std::string body;
  AppendU32(&body, mark);
  AppendU64(&body, plainLength);
  return body + stream;
}

BodyResult Read(const std::string& body, MemoryOutput* output) {
  MemoryInput input(body);
  std::string name;
  return ReadSolidBody(input, body.size(), *output, &name);
}

TEST(SolidBody, GivesTheFilesOfThePlainBodyFromAFractionOfItsSize) {
  const std::string plain = PlainBody();
  const std::string stream = Xz(plain);
  EXPECT_LT(stream.size(), plain.size() / 10);
  MemoryOutput fromSolid;
  EXPECT_EQ(BodyResult::kDone, Read(SolidBody(plain.size(), stream), &fromSolid));
  MemoryOutput fromPlain;
  MemoryInput input(plain);
  std::string name;
  ASSERT_EQ(BodyResult::kDone, ReadBody(input, plain.size(), fromPlain, &name));
  EXPECT_EQ(fromPlain.files, fromSolid.files);
}

TEST(SolidBody, EveryWrongStreamOrLengthIsRefused) {
  const std::string plain = PlainBody();
  const std::string stream = Xz(plain);
  std::string flipped = stream;
  flipped[stream.size() / 2] ^= 0x04;
  std::string badCheck = stream;
  badCheck[stream.size() - 20] ^= 0x01;
  const struct {
    const char* name;
    std::string body;
  } cases[] = {
      {"no plain length", std::string("\xFF\xFF\xFF\xFF\x01\x02", 6)},
      {"no mark", SolidBody(plain.size(), stream, 0)},
      {"a plain length too short", SolidBody(plain.size() - 1, stream)},
      {"a plain length too long", SolidBody(plain.size() + 1, stream)},
      {"the stream cut", SolidBody(plain.size(), stream.substr(0, stream.size() - 1))},
      {"the stream cut in half", SolidBody(plain.size(), stream.substr(0, stream.size() / 2))},
      {"a byte after the stream", SolidBody(plain.size(), stream + "x")},
      {"a second stream", SolidBody(plain.size(), stream + stream)},
      {"a flipped byte", SolidBody(plain.size(), flipped)},
      {"a bad check", SolidBody(plain.size(), badCheck)},
      {"more plain bytes than the body", SolidBody(plain.size(), Xz(plain + "extra"))},
      {"not a stream", SolidBody(plain.size(), plain)},
  };
  for (const auto& c : cases) {
    MemoryOutput output;
    EXPECT_EQ(BodyResult::kDamaged, Read(c.body, &output)) << c.name;
  }
}

TEST(SolidBody, AFlagFlippedToPlainFailsBeforeAnyFile) {
  const std::string plain = PlainBody();
  const std::string body = SolidBody(plain.size(), Xz(plain));
  MemoryInput input(body);
  MemoryOutput output;
  std::string name;
  EXPECT_EQ(BodyResult::kDamaged, ReadBody(input, body.size(), output, &name));
  EXPECT_TRUE(output.files.empty());
}

}  // namespace
}  // namespace setup::bundle
