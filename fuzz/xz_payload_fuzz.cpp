// The xz and stored payload forms on any input, through DecompressFile: the installer must agree
// with liblzma's one-call decoder on whether the stream is sound and on its bytes, refuse it
// with one box otherwise, and never leave a part of the file under its name or beside it.
// Inputs without a magic are given the xz one, so the run stays on the xz path; a first byte
// of 'S' makes the rest a stored payload's content and length field instead.
#include <lzma.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "decompress/decompress_file.h"
#include "decompress/payload_form.h"
#include "decompress/xz_stream.h"
#include "fuzz_input.h"
#include "support/fake_platform.h"

namespace {

// Bounds the work per input: an .xz stream may expand a thousandfold.
constexpr std::size_t kLargestOutput = 4 << 20;

// What a sound one-stream payload expands to, by liblzma alone; nothing when the installer must
// refuse it (damaged, cut, more bytes after the stream, no check, dictionary above the limit),
// and "skip" when it expands beyond what the run affords.
struct Reference {
  bool skip = false;
  std::optional<std::string> bytes;
};

Reference ReferenceDecode(const std::string& payload) {
  Reference reference;
  lzma_stream_flags flags;
  if (payload.size() < LZMA_STREAM_HEADER_SIZE ||
      lzma_stream_header_decode(&flags, reinterpret_cast<const std::uint8_t*>(payload.data())) !=
          LZMA_OK ||
      flags.check == LZMA_CHECK_NONE || !lzma_check_is_supported(flags.check)) {
    return reference;
  }
  std::string out(kLargestOutput, '\0');
  std::uint64_t memlimit = setup::xz::kDictionaryLimit + (std::uint64_t{1} << 20);
  std::size_t inPos = 0;
  std::size_t outPos = 0;
  const lzma_ret ret = lzma_stream_buffer_decode(
      &memlimit, 0, nullptr, reinterpret_cast<const std::uint8_t*>(payload.data()), &inPos,
      payload.size(), reinterpret_cast<std::uint8_t*>(out.data()), &outPos, out.size());
  if (ret == LZMA_BUF_ERROR && outPos == out.size()) {
    reference.skip = true;
    return reference;
  }
  if (ret != LZMA_OK || inPos != payload.size()) return reference;
  out.resize(outPos);
  reference.bytes = out;
  return reference;
}

Reference StoredReference(const std::string& payload) {
  Reference reference;
  const std::optional<std::uint64_t> length = setup::StoredLength(payload);
  if (length && *length == payload.size() - setup::kStoredHeaderSize) {
    reference.bytes = payload.substr(setup::kStoredHeaderSize);
  }
  return reference;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string payload(reinterpret_cast<const char*>(data), size);
  Reference reference;
  if (!payload.empty() && payload[0] == 'S') {
    payload.replace(0, 1, setup::StoredHeader(0).substr(0, setup::kFormMagicSize));
    reference = StoredReference(payload);
  } else {
    if (setup::PayloadFormOf(payload) != setup::PayloadForm::kXz) {
      payload.insert(0, reinterpret_cast<const char*>(setup::xz::kMagic), sizeof setup::xz::kMagic);
    }
    reference = ReferenceDecode(payload);
  }
  if (reference.skip) return 0;

  setup::testing::FakePlatform fake;
  fake.files.PutFile("C:\\in.xz", payload);
  fake.files.PutFile("C:\\old.bin", "the old file");
  setup::Decompressor decompressor(fake.files, fake.windows);
  for (const char* destination : {"C:\\new.bin", "C:\\old.bin"}) {
    const bool existed = fake.files.FileExists(destination);
    const std::optional<std::string> before = fake.files.FileBytes(destination);
    const std::size_t boxes = fake.windows.messageBoxes().size();
    const int result = decompressor.DecompressFile("C:\\in.xz", destination);
    FUZZ_CHECK(result == (reference.bytes ? 0 : 1));
    FUZZ_CHECK(fake.windows.messageBoxes().size() == boxes + static_cast<std::size_t>(result));
    if (reference.bytes) {
      FUZZ_CHECK(fake.files.FileBytes(destination) == reference.bytes);
    } else {
      FUZZ_CHECK(fake.windows.messageBoxes().back().text == "Erro de leitura");
      FUZZ_CHECK(existed ? fake.files.FileBytes(destination) == before
                         : !fake.files.FileExists(destination));
    }
    FUZZ_CHECK(!fake.files.FileExists(std::string(destination) + ".~new"));
    FUZZ_CHECK(fake.files.openFiles == 0);
  }
  return 0;
}
