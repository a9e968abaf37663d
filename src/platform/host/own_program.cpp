// The running program's path on Linux: the kernel's link to the executable.
#include "platform/own_program.h"

#include <filesystem>
#include <system_error>

namespace setup {

std::string OwnProgramPath() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : self.string();
}

}  // namespace setup
