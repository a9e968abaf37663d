// setup-pack scramble: turns a plain setup script into "setup.drc".
#include "pack/scramble_command.h"

#include "pack/tool_support.h"
#include "script/script_loader.h"

namespace setup::pack {

int RunScrambleTransform(const Command& self, const std::vector<std::string>& args) {
  if (!ExpectArguments(self, args, 2)) return kExitUsage;
  const std::string& inPath = args[0];
  const std::string& outPath = args[1];
  if (OutputIsInput(self, inPath, outPath)) return kExitFailure;
  // Opened first only for a precise reason when either cannot be opened.
  if (!OpenInput(self, inPath) || !OpenOutput(self, outPath)) return kExitFailure;
  if (ScrambleScript(ToolFileSystem(), inPath.c_str(), outPath.c_str()) != 1) {
    ReportError(self, "error while writing '" + outPath + "'");
    return kExitFailure;
  }
  return kExitSuccess;
}

namespace {

int RunScramble(const std::vector<std::string>& args) {
  return RunScrambleTransform(kScrambleCommand, args);
}

}  // namespace

const Command kScrambleCommand = {
    "scramble",
    "PLAIN OUT",
    "Scrambles the plain setup script PLAIN into OUT (normally setup.drc).",
    "Each byte is XOR-ed with a key that depends on its position in the file, as the installer\n"
    "does when it converts a plain script itself.\n",
    RunScramble,
};

}  // namespace setup::pack
