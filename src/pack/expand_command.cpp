// setup-pack expand: expands a payload file exactly as the installer does.
#include <optional>

#include "decompress/decompress_file.h"
#include "decompress/payload_form.h"
#include "pack/commands.h"
#include "pack/payload_codec.h"
#include "pack/tool_support.h"

namespace setup::pack {
namespace {

int RunExpand(const std::vector<std::string>& args) {
  const Command& self = kExpandCommand;
  std::vector<std::string> paths = args;
  std::optional<Codec> codec;
  if (!TakeCodecOption(self, &paths, &codec)) return kExitUsage;
  if (!ExpectArguments(self, paths, 2)) return kExitUsage;
  const std::string& inPath = paths[0];
  const std::string& outPath = paths[1];
  std::int64_t length = 0;
  {
    std::unique_ptr<File> probe = OpenInput(self, inPath);
    if (!probe) return kExitFailure;
    length = probe->Length();
    std::string head(kFormMagicSize, '\0');
    head.resize(probe->Read(head.data(), head.size()));
    const bool isXz = PayloadFormOf(head) == PayloadForm::kXz;
    if (codec && (*codec == Codec::kXz) != isXz) {
      ReportError(self, "'" + inPath + "' is not " +
                            (*codec == Codec::kXz ? "an xz payload" : "an LZHUF payload"));
      return kExitFailure;
    }
  }
  if (OutputIsInput(self, inPath, outPath)) return kExitFailure;

  // Counted in payload bytes, which expand to several times as many.
  Progress progress("expanding " + inPath, length, 2 << 20);
  ProgressFileSystem files(ToolFileSystem(), inPath, progress);
  const std::unique_ptr<WindowSystem> windows = MakeToolWindowSystem();
  Decompressor decompressor(files, *windows);
  return decompressor.DecompressFile(inPath.c_str(), outPath.c_str()) == 0 ? kExitSuccess
                                                                           : kExitFailure;
}

}  // namespace

const Command kExpandCommand = {
    "expand",
    "[--codec C] IN OUT",
    "Expands the payload file IN into OUT, as the installer would.",
    "Uses the installer's own decoder, which tells the payload forms (LZHUF, xz, stored) apart\n"
    "by their first bytes; with --codec lzhuf or xz, IN must be of that form. On failure the\n"
    "installer's message is printed on standard error and the exit status is 1.\n",
    RunExpand,
};

}  // namespace setup::pack
