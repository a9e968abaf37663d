// Benchmark corpora made at run time from real files of this machine: programs, documentation,
// headers and a literal-heavy mixture.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace setup::bench {

// Each set is `size` bytes, or less when the machine holds too little of its kind (an empty set is
// left out). Files are taken in name order, so one machine always gives the same bytes.
//   "x86 programs"   ELF executables of /usr/bin
//   "documentation"  plain text of /usr/share/doc (licences, read-me files, change notes)
//   "headers"        C and C++ headers of /usr/include
//   "literal mix"    32 KiB turns of documentation, Intel HEX records of packed data (the .gz
//                    files of /usr/share/doc), low-entropy binary (TrueType fonts, else object
//                    files) and headers: about two thirds of its symbols are literals
std::vector<std::pair<std::string, std::string>> MachineCorpora(std::size_t size);

}  // namespace setup::bench
