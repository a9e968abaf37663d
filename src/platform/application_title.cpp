// The application's default title, as the framework derives it from the program file's name.
#include "platform/application_title.h"

namespace setup {

std::string ApplicationTitleFromPath(const std::string& programPath) {
  std::string::size_type start = programPath.find_last_of("\\/:");
  std::string name = start == std::string::npos ? programPath : programPath.substr(start + 1);
  std::string::size_type dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace setup
