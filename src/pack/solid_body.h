// The body of a one-file installer's archive as setup-pack bundle writes it: straight into the
// file, or, for a solid archive, as the plain body's length and one .xz stream of it. Payloads
// of a solid archive are carried in the stored form, so the one stream compresses across files.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "decompress/byte_stream.h"
#include "decompress/lzhuf_decoder.h"
#include "decompress/xz_stream.h"
#include "platform/file_system.h"
#include "platform/sha256.h"

namespace setup::pack {

class ArchiveBody final : public lzhuf::ByteSink {
 public:
  // A solid body needs its plain length first; a plain one has none.
  ArchiveBody(File& out, std::optional<std::uint64_t> solidPlainLength);

  bool Write(const std::uint8_t* data, std::size_t size) override;
  bool Write(const std::string& bytes) {
    return Write(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  // Ends a solid body's stream. False when any write failed.
  bool Finish();

  std::uint64_t storedBytes() const { return stored_; }
  Sha256Digest Digest() { return sha_->Finish(); }

 private:
  bool Store(const std::uint8_t* data, std::size_t size);
  bool Encode(const std::uint8_t* data, std::size_t size, bool finish);

  File& out_;
  std::unique_ptr<Sha256> sha_;
  std::uint64_t stored_ = 0;
  std::unique_ptr<xz::StreamEncoder> encoder_;
  std::vector<std::uint8_t> buffer_;
  bool ok_ = true;
};

// Expands the payload file at `path` (any form) into `sink`, exactly as the installer would
// write it. False when it cannot be read or is damaged.
bool ExpandPayloadFile(const std::string& path, LzhufDecoder& decoder, lzhuf::ByteSink& sink);

}  // namespace setup::pack
