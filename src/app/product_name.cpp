// The product name: argument 1 with '*' standing for blanks.
#include "app/product_name.h"

#include <algorithm>

namespace setup {

std::string GetProductName(const std::vector<std::string>& arguments) {
  if (arguments.size() < 2) return std::string();
  std::string name = arguments[1];
  std::replace(name.begin(), name.end(), '*', ' ');
  return name;
}

}  // namespace setup
