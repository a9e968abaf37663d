// The application's default title, as the framework derives it from the program file's name.
#pragma once

#include <string>

namespace setup {

// The program file's name without directory and extension: "/opt/x/setup" and "D:\\Setup.EXE"
// give "setup" and "Setup".
std::string ApplicationTitleFromPath(const std::string& programPath);

}  // namespace setup
