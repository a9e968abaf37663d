// The script's registry values, written in the closing sequence of the run.
#pragma once

#include "install/install_page.h"

namespace setup {

// Writes every RegistryEntry in table order. A failed write is logged and told in a box owned by
// the dialog; an entry without a known type is only logged. Never ends the run. Answers how many
// entries were not written.
int WriteRegistryEntries(InstallPage& page);

}  // namespace setup
