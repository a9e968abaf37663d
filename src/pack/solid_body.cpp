// Writing an archive body, plain or solid, and expanding payloads for the stored form.
#include "pack/solid_body.h"

#include "bundle/bundle_format.h"
#include "decompress/payload_form.h"
#include "pack/tool_support.h"

namespace setup::pack {

ArchiveBody::ArchiveBody(File& out, std::optional<std::uint64_t> solidPlainLength)
    : out_(out), sha_(CreateSha256()) {
  if (!solidPlainLength) return;
  std::string start;
  bundle::AppendU32(&start, bundle::kSolidMark);
  bundle::AppendU64(&start, *solidPlainLength);
  ok_ = Store(reinterpret_cast<const std::uint8_t*>(start.data()), start.size());
  encoder_ = std::make_unique<xz::StreamEncoder>(*solidPlainLength);
  buffer_.resize(256 * 1024);
}

bool ArchiveBody::Store(const std::uint8_t* data, std::size_t size) {
  sha_->Update(data, size);
  stored_ += size;
  return out_.Write(data, size) == size;
}

bool ArchiveBody::Encode(const std::uint8_t* data, std::size_t size, bool finish) {
  xz::Step step;
  step.in = data;
  step.inSize = size;
  for (;;) {
    step.out = buffer_.data();
    step.outSize = buffer_.size();
    const xz::Status status = encoder_->Encode(step, finish);
    if (step.produced > 0 && !Store(buffer_.data(), step.produced)) return false;
    step.in += step.consumed;
    step.inSize -= step.consumed;
    if (status == xz::Status::kEnd) return true;
    if (status != xz::Status::kMore) return false;
    if (!finish && step.inSize == 0) return true;
  }
}

bool ArchiveBody::Write(const std::uint8_t* data, std::size_t size) {
  if (!ok_) return false;
  ok_ = encoder_ ? Encode(data, size, false) : Store(data, size);
  return ok_;
}

bool ArchiveBody::Finish() {
  if (ok_ && encoder_) ok_ = Encode(nullptr, 0, true);
  return ok_;
}

bool ExpandPayloadFile(const std::string& path, LzhufDecoder& decoder, lzhuf::ByteSink& sink) {
  std::unique_ptr<File> in = ToolFileSystem().Open(path, OpenMode::kReadBinary, nullptr);
  if (in == nullptr) return false;
  std::string head(kFormMagicSize, '\0');
  head.resize(in->Read(head.data(), head.size()));
  const PayloadForm form = PayloadFormOf(head);
  if (form != PayloadForm::kLzhuf) {
    if (!in->Seek(0)) return false;
    lzhuf::FileSource source(*in);
    const ExpandResult result = form == PayloadForm::kXz ? ExpandXzPayload(source, sink)
                                                         : ExpandStoredPayload(source, sink);
    return result == ExpandResult::kDone && !in->Error();
  }
  if (head.size() < 4 || !in->Seek(4)) return false;
  lzhuf::FileSource source(*in);
  const std::int32_t length = ReadLengthHeader(reinterpret_cast<const std::uint8_t*>(head.data()));
  return decoder.Expand(length, source, sink) == LzhufDecoder::Result::kDone && !in->Error();
}

}  // namespace setup::pack
