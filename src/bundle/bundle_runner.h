// The one-file installer's stub: checks its archive, extracts it, runs the installer, cleans up.
#pragma once

#include <string>
#include <vector>

#include "platform/bundle_system.h"

namespace setup::bundle {

inline constexpr const char* kDamagedText =
    "The setup file is damaged and cannot be run. Please get a new copy of it from the vendor "
    "or the place you downloaded it from.";

// Runs the bundle that `system`'s own program file carries, with the user's arguments (after
// argument 0). Answers the installer's exit status, or 1 when it could not be run.
int RunBundle(BundleSystem& system, const std::vector<std::string>& arguments);

// The installer's arguments: the product name first (the user's, when the first argument is not
// an option, else the bundle's with '*' for blanks), then the user's others.
std::vector<std::string> InstallerArguments(const std::string& productName,
                                            const std::vector<std::string>& arguments);

}  // namespace setup::bundle
