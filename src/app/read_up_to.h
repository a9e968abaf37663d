// Reading a text file the pages show, as far as the file delivers it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace setup {

// The most a page reads of its text file. Welcome and terms texts are a few kilobytes; a file
// beyond this (a sparse file of gigabytes) must not take the machine's memory.
inline constexpr std::int64_t kMaxPageTextBytes = 16 * 1024 * 1024;

// Reads up to `length` bytes into `bytes`; true when all of them arrived. The buffer grows with
// what the file delivers, so a length the file does not hold (it shrank, or is beyond any
// memory) ends as a short read rather than one allocation that cannot be had. A length beyond
// kMaxPageTextBytes is read that far and then counts as a short read.
[[nodiscard]] bool ReadUpTo(File& file, std::int64_t length, std::string* bytes);

}  // namespace setup
