// Removing the running uninstaller itself, which only some systems allow while it runs.
#pragma once

#include <string>

#include "platform/win32_types.h"

namespace setup {

class ProgramRemover {
 public:
  virtual ~ProgramRemover() = default;
  // Removes the program file at `path`. Sets *deferred when it will only go once the program
  // has ended; answers the failure otherwise.
  virtual Win32Error RemoveProgram(const std::string& path, bool* deferred) = 0;
  // A directory that holds nothing but the deferred program (and directories given here
  // before): removed after the program has gone.
  virtual void RemoveDirectoryLater(const std::string& directory) = 0;
};

}  // namespace setup
