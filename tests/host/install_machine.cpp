// A machine folder with the installation engine over it, for whole-run tests on the host.
#include "host/install_machine.h"

namespace setup::testing {

namespace fs = std::filesystem;

HostMachineFolder::HostMachineFolder()
    : machineFiles_(temp_.Native("machine"), temp_.Native("current")),
      files(machineFiles_),
      shell(files, nullptr),
      versions(files) {
  fs::create_directories(temp_.path() / "machine" / "drive_c");
  fs::create_directories(temp_.path() / "current");
}

InstallMachine::InstallMachine() : InstallationEngine(files, shell, versions) {}

fs::path InstallMachine::Native(const std::string& relative) const {
  return temp_.path() / "machine" / "drive_c" / relative;
}

void InstallMachine::WriteCurrent(const std::string& name, const std::string& bytes) {
  WriteFileBytes(temp_.path() / "current" / name, bytes);
}

std::optional<std::string> InstallMachine::Installed(const std::string& relative) const {
  if (!fs::is_regular_file(Native(relative))) return std::nullopt;
  return ReadFileBytes(Native(relative));
}

int InstallMachine::Run(const std::string& destDir) {
  const int result = InstallationEngine::Run(destDir);
  log.reset();
  return result;
}

}  // namespace setup::testing
