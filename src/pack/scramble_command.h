// The position-keyed transform shared by scramble and unscramble: it is its own inverse.
#pragma once

#include <string>
#include <vector>

#include "pack/commands.h"

namespace setup::pack {

int RunScrambleTransform(const Command& self, const std::vector<std::string>& args);

}  // namespace setup::pack
