// The product name from the command line.
#pragma once

#include <string>
#include <vector>

namespace setup {

// Argument 1 with every '*' replaced by a blank, one for one; the empty text when there is no
// argument 1. `arguments` holds argument 0 first.
std::string GetProductName(const std::vector<std::string>& arguments);

}  // namespace setup
