// DecompressFile: opens the payload and its destination, expands, and verifies the result.
#include "decompress/decompress_file.h"

#include <cstdint>
#include <string>

#include "decompress/byte_stream.h"
#include "decompress/lzhuf_decoder.h"

namespace setup {

namespace {

std::string Text(const char* s) { return s ? std::string(s) : std::string(); }

// The decoder takes a failed read for the end of the input and goes on with zero bits up to the
// header's length. Checking the source before each block is written stops it at the first block
// after a read error, so a damaged medium never fills the disk with up to 2 GiB of filler.
class SourceCheckingSink final : public lzhuf::ByteSink {
 public:
  SourceCheckingSink(File& source, File& destination) : source_(source), output_(destination) {}
  bool Write(const std::uint8_t* data, std::size_t size) override {
    if (source_.Error()) {
      readFailed_ = true;
      return false;
    }
    return output_.Write(data, size);
  }
  bool readFailed() const { return readFailed_; }

 private:
  File& source_;
  lzhuf::FileSink output_;
  bool readFailed_ = false;
};

}  // namespace

Decompressor::Decompressor(FileSystem& files, WindowSystem& windows)
    : files_(files), windows_(windows), decoder_(std::make_unique<LzhufDecoder>()) {}

Decompressor::~Decompressor() = default;

int Decompressor::DecompressFile(const char* source, const char* destination) {
  // The message is held whole: a long file name is never cut off or dropped.
  auto fail = [this](const std::string& text) {
    windows_.MessageBox(owner_, text, nullptr, MB_ICONERROR);
    return 1;
  };
  const std::string sourceName = Text(source);
  const std::string destinationName = Text(destination);

  std::unique_ptr<File> in = files_.Open(sourceName, OpenMode::kReadBinary, nullptr);
  if (!in) return fail("Erro de abertura no arquivo " + sourceName);
  std::unique_ptr<File> out = files_.Open(destinationName, OpenMode::kWriteBinary, nullptr);
  if (!out) {
    in->Close();
    return fail("Erro de abertura no arquivo " + destinationName);
  }

  std::uint8_t header[4];
  if (in->Read(header, sizeof header) != sizeof header) {
    in->Close();
    out->Close();
    return fail("Erro de leitura");
  }

  // A destination that cannot take every byte (a full disk) must not pass for a success.
  const std::string writeError = "Erro de grava\xE7\xE3o no arquivo " + destinationName;
  lzhuf::FileSource input(*in);
  SourceCheckingSink output(*in, *out);
  if (decoder_->Expand(ReadLengthHeader(header), input, output) != LzhufDecoder::Result::kDone) {
    in->Close();
    out->Close();
    return fail(output.readFailed() ? "Erro de leitura" : writeError);
  }
  if (!out->Close()) {
    in->Close();
    return fail(writeError);
  }
  // A read error in the last block: the medium must not pass for a payload that merely ends early.
  if (in->Error()) {
    in->Close();
    return fail("Erro de leitura");
  }

  std::unique_ptr<File> check = files_.Open(destinationName, OpenMode::kReadBinary, nullptr);
  if (!check) {
    in->Close();
    return fail("Erro de acesso ao arquivo " + destinationName);
  }
  in->Close();
  check->Close();
  return 0;
}

}  // namespace setup
