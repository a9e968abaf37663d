// The program group and its shortcuts, created in the closing sequence of the run.
#pragma once

#include <string>

#include "install/install_page.h"
#include "platform/shell.h"

namespace setup {

// Saves a shell shortcut at `linkFile` pointing to `target` with `description`, inside its own
// CoInitialize/CoUninitialize. Answers the result of the last shell call: 0 when the file was
// saved. A `linkFile` that does not fit a system path buffer in UTF-16 is not saved and answers
// the failure of that conversion.
[[nodiscard]] HResult CreateShortcut(Shell& shell, const std::string& target,
                                     const std::string& linkFile, const std::string& description);

// Creates the folder and the shortcut of every LinkEntry in table order. Each failure is logged
// and told in a box owned by the page; none ends the run. Answers how many failed.
int CreateShortcuts(InstallPage& page);

}  // namespace setup
