// Reading a text file the pages show, as far as the file delivers it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace setup {

// Reads up to `length` bytes into `bytes`; true when all of them arrived. The buffer grows with
// what the file delivers, so a length the file does not hold (it shrank, or is beyond any
// memory) ends as a short read rather than one allocation that cannot be had.
bool ReadUpTo(File& file, std::int64_t length, std::string* bytes);

}  // namespace setup
