// Where the tests find the Windows program that the build made beside them.
#pragma once

#include <string>

namespace setup::testing {

// Setup.exe in the build folder, one level above the test programs.
std::string SetupExePath();

}  // namespace setup::testing
