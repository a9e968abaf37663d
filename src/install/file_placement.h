// The two steps of one payload file: the check (is it to be installed?) and its placement.
#pragma once

#include "install/install_page.h"

namespace setup {

// Check phase of file `index` of the script: sets the file in hand, raises a shared library's
// count, compares versions through the temporary directory, and moves the step on by 1 (to the
// placement) or 10 (skipped); ends the run with 2, step unchanged, when the new copy cannot be
// expanded for the comparison.
void CheckFile(InstallPage& page, int index);

// Placement phase of the file in hand (set by its check): creates an ordinary file's directories or
// moves an installed DLL into Backup, then expands the file onto its destination. Moves the step on
// by 9; ends the run with 2 on failure.
void PlaceFile(InstallPage& page);

// True for destinations with the extension ".dll" in any letter case.
[[nodiscard]] bool IsSharedLibrary(const std::string& destination);

}  // namespace setup
