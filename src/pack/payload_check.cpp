// Whether one payload expands to exactly its header's length without running out of input.
//
// The decoder reads its input in large blocks and goes on with zero bits after the end, so
// running out early is seen by decoding twice: once continued with zero bytes, once with 0xFF
// bytes. A complete stream never looks past its end and gives the same output both times; a
// stream cut short decodes other symbols from the first missing bit on.
#include "pack/payload_check.h"

#include <cstring>
#include <memory>

#include "decompress/byte_stream.h"
#include "decompress/lzhuf_decoder.h"
#include "decompress/payload_form.h"
#include "pack/tool_support.h"
#include "platform/sha256.h"

namespace setup::pack {
namespace {

// The file, then `fill` bytes without end. Past more filler than one read-ahead block, the
// stream has certainly run out: `exhausted` is set and the sink stops the decoder.
class PaddedSource final : public lzhuf::ByteSource {
 public:
  PaddedSource(File& file, std::uint8_t fill) : file_(file), fill_(fill) {}
  std::size_t Read(std::uint8_t* buffer, std::size_t size) override {
    if (!atEnd_) {
      const std::size_t got = file_.Read(buffer, size);
      if (got > 0) return got;
      atEnd_ = true;
    }
    std::memset(buffer, fill_, size);
    padding_ += size;
    if (padding_ > 2 * LzhufDecoder::kInputSize) exhausted = true;
    return size;
  }
  bool exhausted = false;

 private:
  File& file_;
  std::uint8_t fill_;
  bool atEnd_ = false;
  std::size_t padding_ = 0;
};

// Digests the first `limit` bytes and counts them all.
class DigestSink final : public lzhuf::ByteSink {
 public:
  DigestSink(std::int64_t limit, const PaddedSource& source) : limit_(limit), source_(source) {}
  bool Write(const std::uint8_t* data, std::size_t size) override {
    if (source_.exhausted) return false;
    const std::int64_t room = limit_ - count;
    if (room > 0) sha_->Update(data, static_cast<std::size_t>(std::min<std::int64_t>(room, size)));
    count += static_cast<std::int64_t>(size);
    return true;
  }
  Sha256Digest Finish() { return sha_->Finish(); }
  std::int64_t count = 0;

 private:
  std::int64_t limit_;
  const PaddedSource& source_;
  std::unique_ptr<Sha256> sha_ = CreateSha256();
};

struct Pass {
  bool exhausted = false;
  std::int64_t count = 0;
  Sha256Digest digest{};
};

std::optional<Pass> Decode(const std::string& path, std::uint8_t fill, std::int32_t* length,
                           std::string* problem) {
  std::unique_ptr<File> file = ToolFileSystem().Open(path, OpenMode::kReadBinary, nullptr);
  if (file == nullptr) {
    *problem = "it cannot be opened";
    return std::nullopt;
  }
  std::uint8_t header[4];
  if (file->Read(header, 4) != 4) {
    *problem = "it is shorter than its 4-byte length header";
    return std::nullopt;
  }
  *length = ReadLengthHeader(header);
  if (*length < 0) {
    *problem = "its header claims a negative length";
    return std::nullopt;
  }
  auto decoder = std::make_unique<LzhufDecoder>();
  PaddedSource source(*file, fill);
  DigestSink sink(*length, source);
  decoder->Expand(*length, source, sink);
  if (file->Error()) {
    *problem = "it cannot be read";
    return std::nullopt;
  }
  return Pass{source.exhausted, sink.count, sink.Finish()};
}

class DiscardSink final : public lzhuf::ByteSink {
 public:
  bool Write(const std::uint8_t*, std::size_t) override { return true; }
};

// An xz or stored payload carries its own length (and xz its check): expanding it once tells.
std::optional<std::string> FormProblem(const std::string& path, PayloadForm form) {
  std::unique_ptr<File> file = ToolFileSystem().Open(path, OpenMode::kReadBinary, nullptr);
  if (file == nullptr) return std::string("it cannot be opened");
  lzhuf::FileSource source(*file);
  DiscardSink sink;
  const ExpandResult result =
      form == PayloadForm::kXz ? ExpandXzPayload(source, sink) : ExpandStoredPayload(source, sink);
  if (file->Error()) return std::string("it cannot be read");
  const char* what = form == PayloadForm::kXz ? "xz stream" : "stored payload";
  switch (result) {
    case ExpandResult::kDone:
      return std::nullopt;
    case ExpandResult::kTooLarge:
      return std::string(
          "its xz stream needs a dictionary above 64 MiB, which the installer "
          "refuses");
    case ExpandResult::kNoMemory:
      return std::string("its xz stream could not be decoded: out of memory");
    case ExpandResult::kDamaged:
    case ExpandResult::kWriteFailed:
      break;
  }
  return std::string("its ") + what + " is damaged, cut short or followed by other bytes";
}

std::optional<PayloadForm> FormOf(const std::string& path) {
  std::unique_ptr<File> file = ToolFileSystem().Open(path, OpenMode::kReadBinary, nullptr);
  if (file == nullptr) return std::nullopt;
  std::string head(kFormMagicSize, '\0');
  head.resize(file->Read(head.data(), head.size()));
  return PayloadFormOf(head);
}

}  // namespace

std::optional<std::string> PayloadStreamProblem(const std::string& path) {
  const std::optional<PayloadForm> form = FormOf(path);
  if (form && *form != PayloadForm::kLzhuf) return FormProblem(path, *form);
  std::string problem;
  std::int32_t length = 0;
  const std::optional<Pass> zeros = Decode(path, 0x00, &length, &problem);
  if (!zeros) return problem;
  const std::optional<Pass> ones = Decode(path, 0xFF, &length, &problem);
  if (!ones) return problem;
  const std::string header = "its header's length of " + std::to_string(length) + " bytes";
  if (zeros->exhausted || ones->exhausted || zeros->digest != ones->digest ||
      zeros->count != ones->count) {
    return "its compressed data ends before " + header + " is reached";
  }
  if (zeros->count != length) {
    return "it expands to " + std::to_string(zeros->count) + " bytes, not " + header;
  }
  return std::nullopt;
}

}  // namespace setup::pack
