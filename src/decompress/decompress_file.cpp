// DecompressFile: opens the payload and its destination, expands, and verifies the result.
#include "decompress/decompress_file.h"

#include <cstdint>
#include <optional>
#include <string>

#include "decompress/byte_stream.h"
#include "decompress/lzhuf_decoder.h"
#include "decompress/payload_form.h"

namespace setup {

namespace {

std::string Text(const char* s) { return s ? std::string(s) : std::string(); }

// The decoder takes a failed read for the end of the input and goes on with zero bits up to the
// header's length. Checking the source before each block is written stops it at the first block
// after a read error, so a damaged medium never fills the disk with up to 2 GiB of filler.
class SourceCheckingSink final : public lzhuf::ByteSink {
 public:
  SourceCheckingSink(File& source, File& destination, Sha256* digest)
      : source_(source), output_(destination), digest_(digest) {}
  bool Write(const std::uint8_t* data, std::size_t size) override {
    if (source_.Error()) {
      readFailed_ = true;
      return false;
    }
    if (!output_.Write(data, size)) return false;
    if (digest_ != nullptr) digest_->Update(data, size);
    written_ += size;
    return true;
  }
  bool readFailed() const { return readFailed_; }
  std::uint64_t written() const { return written_; }

 private:
  File& source_;
  lzhuf::FileSink output_;
  Sha256* digest_;
  std::uint64_t written_ = 0;
  bool readFailed_ = false;
};

}  // namespace

Decompressor::Decompressor(FileSystem& files, WindowSystem& windows)
    : files_(files), windows_(windows), decoder_(std::make_unique<LzhufDecoder>()) {}

Decompressor::~Decompressor() = default;

namespace {

// The new content is expanded beside the destination under this name and put in its place in
// one step, so a run killed or failing half-way never leaves a part of a file where the old one
// was (a torn DLL whose version resource survived would pass every later version check).
constexpr const char kExpansionSuffix[] = ".~new";

bool HasWildcards(const std::string& path) { return path.find_first_of("*?") != std::string::npos; }

}  // namespace

int Decompressor::DecompressFile(const char* source, const char* destination) {
  // The message is held whole: a long file name is never cut off or dropped.
  auto fail = [this](const std::string& text) {
    windows_.MessageBox(owner_, text, nullptr, MB_ICONERROR);
    return 1;
  };
  lastWritten_.reset();
  const std::string sourceName = Text(source);
  const std::string destinationName = Text(destination);
  const std::string openError = "Erro de abertura no arquivo " + destinationName;

  std::unique_ptr<File> in = files_.Open(sourceName, OpenMode::kReadBinary, nullptr);
  if (!in) return fail("Erro de abertura no arquivo " + sourceName);

  // Where the destination cannot be named beside itself, it is written in place.
  std::string outName = destinationName;
  bool hadOldFile = false;
  if (!HasWildcards(destinationName) &&
      destinationName.size() + sizeof kExpansionSuffix - 1 < static_cast<std::size_t>(kMaxPath)) {
    const std::optional<FindData> old = files_.FindFirstFile(destinationName);
    hadOldFile = old.has_value();
    // A device is written to, never replaced by a file.
    if (!old || (old->attributes & FILE_ATTRIBUTE_DEVICE) == 0) {
      outName = destinationName + kExpansionSuffix;
    }
    // What opening it for writing would refuse is refused before anything is written.
    constexpr std::uint32_t kUnwritable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                          FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    if (outName != destinationName && old && (old->attributes & kUnwritable) != 0) {
      in->Close();
      return fail(openError);
    }
    if (!old) {
      // A new destination must be creatable under its own name; it stays absent meanwhile.
      std::unique_ptr<File> probe = files_.Open(destinationName, OpenMode::kWriteBinary, nullptr);
      if (!probe) {
        in->Close();
        return fail(openError);
      }
      probe->Close();
      (void)files_.DeleteFile(destinationName);
    }
  }
  const bool beside = outName != destinationName;
  std::unique_ptr<File> out = files_.Open(outName, OpenMode::kWriteBinary, nullptr);
  if (!out) {
    in->Close();
    return fail(openError);
  }

  // After a failure the old file stays whole; without one the destination holds what was
  // expanded of an LZHUF payload, as a file written in place would. The forms with a check
  // never put a part in place: what failed its check is not the product's file.
  PayloadForm form = PayloadForm::kLzhuf;
  auto keepFailed = [&] {
    if (!beside) return;
    if (hadOldFile || form != PayloadForm::kLzhuf ||
        files_.MoveFileReplacing(outName, destinationName) != kErrorSuccess) {
      (void)files_.DeleteFile(outName);
    }
  };

  std::uint8_t header[4];
  if (in->Read(header, sizeof header) != sizeof header) {
    in->Close();
    out->Close();
    keepFailed();
    return fail("Erro de leitura");
  }

  // Only a header that may open a magic is read further; every other LZHUF payload is read
  // exactly as before.
  if (MayOpenMagic(header)) {
    std::uint8_t rest[kFormMagicSize - sizeof header];
    const std::size_t got = in->Read(rest, sizeof rest);
    std::string head(reinterpret_cast<const char*>(header), sizeof header);
    head.append(reinterpret_cast<const char*>(rest), got);
    form = PayloadFormOf(head);
    // The forms with a magic are read from their first byte, LZHUF's stream after its header.
    if (!in->Seek(form == PayloadForm::kLzhuf ? sizeof header : 0)) {
      in->Close();
      out->Close();
      keepFailed();
      return fail("Erro de leitura");
    }
  }

  // A destination that cannot take every byte (a full disk) must not pass for a success.
  const std::string writeError = "Erro de grava\xE7\xE3o no arquivo " + destinationName;
  lzhuf::FileSource input(*in);
  const std::unique_ptr<Sha256> digest = digestWrites_ ? CreateSha256() : nullptr;
  SourceCheckingSink output(*in, *out, digest.get());
  if (form == PayloadForm::kLzhuf) {
    if (decoder_->Expand(ReadLengthHeader(header), input, output) != LzhufDecoder::Result::kDone) {
      in->Close();
      out->Close();
      keepFailed();
      return fail(output.readFailed() ? "Erro de leitura" : writeError);
    }
  } else {
    // A damaged, cut or oversized stream is a read error: its bytes are not the payload's.
    const ExpandResult result = form == PayloadForm::kXz ? ExpandXzPayload(input, output)
                                                         : ExpandStoredPayload(input, output);
    if (result != ExpandResult::kDone) {
      in->Close();
      out->Close();
      keepFailed();
      const bool writeFailed = result == ExpandResult::kWriteFailed && !output.readFailed();
      return fail(writeFailed ? writeError : "Erro de leitura");
    }
  }
  if (!out->Close()) {
    in->Close();
    keepFailed();
    return fail(writeError);
  }
  // A read error in the last block: the medium must not pass for a payload that merely ends early.
  if (in->Error()) {
    in->Close();
    keepFailed();
    return fail("Erro de leitura");
  }
  if (beside && files_.MoveFileReplacing(outName, destinationName) != kErrorSuccess) {
    // The destination could not be replaced (in use, read-only meanwhile): it stays as it was.
    (void)files_.DeleteFile(outName);
    in->Close();
    return fail(openError);
  }

  std::unique_ptr<File> check = files_.Open(destinationName, OpenMode::kReadBinary, nullptr);
  if (!check) {
    in->Close();
    return fail("Erro de acesso ao arquivo " + destinationName);
  }
  in->Close();
  check->Close();
  if (digest) lastWritten_ = WrittenFile{destinationName, output.written(), digest->Finish()};
  return 0;
}

}  // namespace setup
