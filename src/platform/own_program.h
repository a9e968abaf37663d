// Where the running program lies, for the programs that find their own files beside them.
#pragma once

#include <string>

namespace setup {

// The full path of the running program's file in the platform's own syntax; empty when the
// system cannot tell it.
std::string OwnProgramPath();

}  // namespace setup
