// The fakes as a machine for the contract suites, so a fake cannot drift from the platform it
// stands for.
#include "support/fake_platform.h"
#include "support/test_platform.h"

namespace setup::testing {

TestMachine MakeFakeMachine() {
  TestMachine result;
  auto files = std::make_unique<FakeFileSystem>();
  files->CreateDirectory("C:\\scratch");
  auto shell = std::make_unique<FakeShell>();
  shell->linkFiles = files.get();
  auto versions = std::make_unique<FakeVersionInfo>();
  FakeVersionInfo* table = versions.get();
  result.declareVersion = [table](const std::string& path, const FixedFileInfo& record) {
    table->versions[path] = record;
  };
  result.files = std::move(files);
  result.registry = std::make_unique<FakeRegistry>();
  result.shell = std::move(shell);
  result.versions = std::move(versions);
  result.scratch = "C:\\scratch";
  result.registryKey = "Software\\SetupTests\\Contract";
  return result;
}

std::vector<ContractMachine> ContractMachines() {
  return {{"Platform", MakeTestMachine}, {"Fakes", MakeFakeMachine}};
}

}  // namespace setup::testing
