// A machine folder and a current directory on the host's disk, with the installation engine
// over them: the real file layer behind a faulty wrapper, the real shell links and version
// resources, an in-memory registry and scripted windows. One per test.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/install_log.h"
#include "decompress/decompress_file.h"
#include "install/install_context.h"
#include "platform/host/files/machine_file_system.h"
#include "platform/host/shell/host_shell.h"
#include "platform/host/version/pe_version_info.h"
#include "platform/platform.h"
#include "script/setup_script.h"
#include "support/fake_platform.h"
#include "support/faulty_file_system.h"
#include "support/scripted_window_system.h"
#include "support/temp_dir.h"

namespace setup::testing {

// The scrambled form of a plain script.
std::string ScrambledScript(const std::string& plain);

class InstallMachine {
 public:
  InstallMachine();
  ~InstallMachine();
  InstallMachine(const InstallMachine&) = delete;
  InstallMachine& operator=(const InstallMachine&) = delete;

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

 private:
  TempDir temp_;
  MachineFileSystem machineFiles_;

 public:
  FaultyFileSystem files;
  FakeRegistry registry;
  HostShell shell;
  PeVersionInfo versions;
  ScriptedWindowSystem windows;
  FakeClock clock;
  Platform platform;
  SetupScript script;
  std::unique_ptr<InstallLog> log;
  Decompressor decompressor;
  InstallContext context;
};

}  // namespace setup::testing
