// setup-pack expand: expands a payload file exactly as the installer does.
#include "decompress/decompress_file.h"
#include "pack/commands.h"
#include "pack/tool_support.h"

namespace setup::pack {
namespace {

int RunExpand(const std::vector<std::string>& args) {
  const Command& self = kExpandCommand;
  if (!ExpectArguments(self, args, 2)) return kExitUsage;
  const std::string& inPath = args[0];
  const std::string& outPath = args[1];
  std::int64_t length = 0;
  {
    std::unique_ptr<File> probe = OpenInput(self, inPath);
    if (!probe) return kExitFailure;
    length = probe->Length();
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
    "IN OUT",
    "Expands the payload file IN into OUT, as the installer would.",
    "Uses the installer's own decoder. On failure the installer's message is printed on\n"
    "standard error and the exit status is 1.\n",
    RunExpand,
};

}  // namespace setup::pack
