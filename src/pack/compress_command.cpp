// setup-pack compress: makes a payload file that the installer expands.
#include <cstdint>

#include "decompress/byte_stream.h"
#include "decompress/lzhuf_encoder.h"
#include "pack/commands.h"
#include "pack/tool_support.h"

namespace setup::pack {
namespace {

int RunCompress(const std::vector<std::string>& args) {
  const Command& self = kCompressCommand;
  std::vector<std::string> paths;
  lzhuf::EncoderOptions options;
  for (const std::string& arg : args) {
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
  if (length > 0x7FFFFFFF) {
    ReportError(self, "'" + inPath + "' has " + std::to_string(length) +
                          " bytes; a payload file holds at most 2147483647");
    return kExitFailure;
  }
  std::unique_ptr<File> out = OpenOutput(self, outPath);
  if (!out) return kExitFailure;

  Progress progress("compressing " + inPath, length);
  ProgressFile counted(std::move(in), progress);
  lzhuf::FileSource source(counted);
  lzhuf::FileSink sink(*out);
  const lzhuf::EncodeResult result =
      lzhuf::CompressStream(source, static_cast<std::uint32_t>(length), sink, options);
  const bool closed = out->Close();
  if (result == lzhuf::EncodeResult::kShortInput) {
    ReportError(self, "'" + inPath + "' could not be read to its end");
    return kExitFailure;
  }
  if (result == lzhuf::EncodeResult::kWriteFailed || !closed) {
    ReportError(self, "error writing '" + outPath + "'");
    return kExitFailure;
  }
  return kExitSuccess;
}

}  // namespace

const Command kCompressCommand = {
    "compress",
    "[--greedy] IN OUT",
    "Compresses IN into the payload file OUT.",
    "OUT holds IN's length (4 bytes, little-endian) and an LZHUF bit stream, the form in which\n"
    "the installer expects every file of a product. IN may hold at most 2147483647 bytes.\n"
    "\n"
    "  --greedy   take the longest match at every step (faster, larger; for comparisons)\n",
    RunCompress,
};

}  // namespace setup::pack
