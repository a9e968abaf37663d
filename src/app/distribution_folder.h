// Which folder the installer works in. Fleet tools and services start C:\pkg\Setup.exe with some
// other current directory (often the system directory), where no distribution lies.
#pragma once

#include "platform/program_folder.h"

namespace setup {

enum class DistributionFolder {
  kCurrent,  // the current directory holds setup.drc or setup.txt, or neither folder does
  kProgram,  // only the program's folder holds one: it is now the current directory
};

// Enters the program's own folder when the current directory holds neither setup.drc nor
// setup.txt and the program's folder does; a run started in its distribution stays as it is.
DistributionFolder EnterDistributionFolder(ProgramFolder& folder);

}  // namespace setup
