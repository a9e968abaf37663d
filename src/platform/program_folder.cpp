// The path of a file beside the program, from the path the program was started by.
#include "platform/program_folder.h"

namespace setup {

std::string PathBesideArgument0(const std::string& argument0, const std::string& name,
                                bool slashIsSeparator) {
  std::string::size_type cut = std::string::npos;
  for (std::string::size_type i = 0; i < argument0.size(); ++i) {
    const char c = argument0[i];
    if (c == '\\' || c == ':' || (slashIsSeparator && c == '/')) cut = i;
  }
  if (cut == std::string::npos || cut == 0) return name;
  return argument0.substr(0, cut + 1) + name;
}

}  // namespace setup
