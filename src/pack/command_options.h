// Options of the form --name VALUE or --name=VALUE, and plain arguments, for setup-pack's
// newer commands.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pack/commands.h"

namespace setup::pack {

struct OptionSpec {
  const char* name;  // "--from"
  std::optional<std::string>* value;
  bool required = false;
};

// Fills the options' values and `plain` (when given; else plain arguments are refused).
// Reports what is wrong and answers false for an unknown option, one without a value, a
// missing required one or an unexpected plain argument.
bool ParseCommandOptions(const Command& self, const std::vector<std::string>& args,
                         const std::vector<OptionSpec>& specs, std::vector<std::string>* plain);

}  // namespace setup::pack
