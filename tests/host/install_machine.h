// A machine folder and a current directory on the host's disk, with the installation engine
// over them: the real file layer behind a faulty wrapper, the real shell links and version
// resources. One per test.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/host/files/machine_file_system.h"
#include "platform/host/shell/host_shell.h"
#include "platform/host/version/pe_version_info.h"
#include "support/faulty_file_system.h"
#include "support/installation_engine.h"
#include "support/temp_dir.h"

namespace setup::testing {

// The machine part of the rig, made before the engine that works on it.
class HostMachineFolder {
 public:
  HostMachineFolder();

 protected:
  TempDir temp_;

 private:
  MachineFileSystem machineFiles_;

 public:
  FaultyFileSystem files;
  HostShell shell;
  PeVersionInfo versions;
};

class InstallMachine : public HostMachineFolder, public InstallationEngine {
 public:
  InstallMachine();

  // The scratch folder that holds "machine" and "current" and nothing else.
  const std::filesystem::path& root() const { return temp_.path(); }
  // A path below drive C: of the machine folder.
  std::filesystem::path Native(const std::string& relative) const;
  // A file of the current directory, where the script and the payloads lie.
  void WriteCurrent(const std::string& name, const std::string& bytes);
  // The bytes of a regular file below drive C:, nothing when there is none.
  std::optional<std::string> Installed(const std::string& relative) const;

  // Runs the installation page for `destDir`; closes SETUP.LOG after it.
  int Run(const std::string& destDir);
};

}  // namespace setup::testing
