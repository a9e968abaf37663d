// setup-pack compress: makes a payload file that the installer expands.
#include <cstdint>
#include <optional>

#include "decompress/byte_stream.h"
#include "decompress/lzhuf_encoder.h"
#include "pack/commands.h"
#include "pack/payload_codec.h"
#include "pack/tool_support.h"

namespace setup::pack {
namespace {

int RunCompress(const std::vector<std::string>& args) {
  const Command& self = kCompressCommand;
  std::vector<std::string> paths;
  lzhuf::EncoderOptions options;
  std::vector<std::string> rest = args;
  std::optional<Codec> chosen;
  if (!TakeCodecOption(self, &rest, &chosen)) return kExitUsage;
  const Codec codec = chosen.value_or(Codec::kLzhuf);
  for (const std::string& arg : rest) {
    if (arg == "--greedy") {
      options.parse = lzhuf::ParseMode::kGreedy;
    } else {
      paths.push_back(arg);
    }
  }
  if (!ExpectArguments(self, paths, 2)) return kExitUsage;
  const std::string& inPath = paths[0];
  const std::string& outPath = paths[1];
  if (OutputIsInput(self, inPath, outPath)) return kExitFailure;

  std::unique_ptr<File> in = OpenInput(self, inPath);
  if (!in) return kExitFailure;
  const std::int64_t length = in->Length();
  if (length < 0) {
    ReportError(self, "cannot tell the length of '" + inPath + "'");
    return kExitFailure;
  }
  if (static_cast<std::uint64_t>(length) > LargestPayload(codec)) {
    ReportError(self, "'" + inPath + "' has " + std::to_string(length) +
                          " bytes; an LZHUF payload file holds at most 2147483647 (--codec xz has "
                          "no such bound)");
    return kExitFailure;
  }
  std::unique_ptr<File> out = OpenOutput(self, outPath);
  if (!out) return kExitFailure;

  Progress progress("compressing " + inPath, length);
  ProgressFile counted(std::move(in), progress);
  lzhuf::FileSource source(counted);
  lzhuf::FileSink sink(*out);
  PayloadWriteResult result;
  if (codec == Codec::kLzhuf) {
    const lzhuf::EncodeResult encoded =
        lzhuf::CompressStream(source, static_cast<std::uint32_t>(length), sink, options);
    result = encoded == lzhuf::EncodeResult::kDone         ? PayloadWriteResult::kDone
             : encoded == lzhuf::EncodeResult::kShortInput ? PayloadWriteResult::kShortInput
                                                           : PayloadWriteResult::kWriteFailed;
  } else {
    result = WritePayload(codec, source, static_cast<std::uint64_t>(length), sink);
  }
  const bool closed = out->Close();
  if (result == PayloadWriteResult::kShortInput) {
    ReportError(self, "'" + inPath + "' could not be read to its end");
    return kExitFailure;
  }
  if (result == PayloadWriteResult::kWriteFailed || !closed) {
    ReportError(self, "error writing '" + outPath + "'");
    return kExitFailure;
  }
  return kExitSuccess;
}

}  // namespace

const Command kCompressCommand = {
    "compress",
    "[--codec C] [--greedy] IN OUT",
    "Compresses IN into the payload file OUT.",
    "With --codec lzhuf (the default) OUT holds IN's length (4 bytes, little-endian) and an\n"
    "LZHUF bit stream, the installer's own format; IN may hold at most 2147483647 bytes.\n"
    "With --codec xz OUT is one .xz stream (LZMA2 at preset 9e, CRC64 check): smaller, and\n"
    "slower to make. The installer tells the two apart by their first bytes.\n"
    "\n"
    "  --codec C  lzhuf or xz\n"
    "  --greedy   LZHUF: take the longest match at every step (faster, larger; for comparisons)\n",
    RunCompress,
};

}  // namespace setup::pack
