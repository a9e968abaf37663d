// The host's machine for contract tests: a machine folder in a scratch directory.
#include "support/test_platform.h"

#include <filesystem>

#include "platform/host/files/machine_file_system.h"
#include "platform/host/registry/host_registry.h"
#include "platform/host/shell/host_shell.h"
#include "platform/host/version/pe_version_info.h"
#include "support/temp_dir.h"

namespace setup::testing {

TestMachine MakeTestMachine() {
  auto temp = std::make_shared<TempDir>();
  const std::filesystem::path machine = temp->path() / "machine";
  const std::filesystem::path current = temp->path() / "current";
  std::filesystem::create_directories(machine / "drive_c" / "scratch");
  std::filesystem::create_directories(current);

  TestMachine result;
  result.cleanup = temp;
  auto registry = std::make_unique<HostRegistry>((machine / "registry.reg").string());
  result.files =
      std::make_unique<MachineFileSystem>(machine.string(), current.string(), registry.get());
  result.shell = std::make_unique<HostShell>(*result.files, registry.get());
  result.versions = std::make_unique<PeVersionInfo>(*result.files);
  result.registry = std::move(registry);
  result.scratch = "C:\\scratch";
  result.registryKey = "Software\\SetupTests\\Contract";
  return result;
}

}  // namespace setup::testing
