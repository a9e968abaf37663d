// The host's platform objects for one machine folder, owned together in their order of use.
#include "platform/host/host_platform.h"

#include <limits.h>
#include <unistd.h>

#include "platform/host/machine_folder.h"

namespace setup {

HostPlatform::HostPlatform(const std::string& machineDir, const std::string& currentDir,
                           WindowSystem& windows)
    : machineDir_(machineDir),
      registry_(machineDir + "/registry.reg"),
      files_(machineDir, currentDir, &registry_),
      shell_(files_, &registry_),
      versions_(files_),
      windows_(windows) {}

std::string HostPlatform::Open() {
  if (std::string error = registry_.Open(); !error.empty()) return error;
  return PrepareMachineFolder(machineDir_, registry_);
}

Platform HostPlatform::platform() {
  return Platform{files_, registry_, shell_, versions_, windows_, clock_};
}

std::string HostPlatform::CurrentDirectory() {
  char buffer[PATH_MAX];
  return ::getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string();
}

}  // namespace setup
