// setup-pack unscramble: shows a "setup.drc" as the plain script it was made from.
#include "pack/commands.h"
#include "pack/scramble_command.h"

namespace setup::pack {
namespace {

int RunUnscramble(const std::vector<std::string>& args) {
  return RunScrambleTransform(kUnscrambleCommand, args);
}

}  // namespace

const Command kUnscrambleCommand = {
    "unscramble",
    "DRC OUT",
    "Writes the plain text of the scrambled setup script DRC into OUT.",
    "Scrambling is its own inverse: the same position-keyed XOR restores the plain script.\n",
    RunUnscramble,
};

}  // namespace setup::pack
