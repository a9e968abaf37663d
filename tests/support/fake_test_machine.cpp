// The fakes as a machine for the contract suites, so a fake cannot drift from the platform it
// stands for.
#include "support/fake_file_system.h"
#include "support/fake_registry.h"
#include "support/test_platform.h"

namespace setup::testing {

TestMachine MakeFakeMachine() {
  TestMachine result;
  auto files = std::make_unique<FakeFileSystem>();
  files->CreateDirectory("C:\\scratch");
  result.files = std::move(files);
  result.registry = std::make_unique<FakeRegistry>();
  result.scratch = "C:\\scratch";
  result.registryKey = "Software\\SetupTests\\Contract";
  return result;
}

std::vector<ContractMachine> ContractMachines() {
  return {{"Platform", MakeTestMachine}, {"Fakes", MakeFakeMachine}};
}

}  // namespace setup::testing
