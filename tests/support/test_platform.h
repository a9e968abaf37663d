// The platform implementation under test, built afresh per test, so that one contract suite runs
// against every implementation (the host's machine folder, the real Windows calls).
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/version_info.h"

namespace setup::testing {

struct TestMachine {
  // Declared first so it is released last: whatever the factory must tidy up afterwards
  // (scratch folders, test registry keys). May be null.
  std::shared_ptr<void> cleanup;

  std::unique_ptr<FileSystem> files;
  std::unique_ptr<Registry> registry;
  // Shell-link objects and version resources; they may use `files`, so they come after it. The
  // shell may be null where the platform has none yet (its tests then skip).
  std::unique_ptr<Shell> shell;
  std::unique_ptr<VersionInfo> versions;

  // An existing, empty folder in the platform's own path syntax, without a trailing separator
  // ("C:\scratch" on the host, a folder below the temporary directory on Windows). Tests name
  // their paths as scratch + "\\name".
  std::string scratch;

  // A key below HKEY_CURRENT_USER, not yet existing, that the test may create and fill
  // ("Software\SetupTests\..."); removed afterwards.
  std::string registryKey;

  // Where version resources are a table rather than read from the image (the fakes): declares
  // the fixed record of an image the test has written. Null where images are read.
  std::function<void(const std::string& path, const FixedFileInfo& record)> declareVersion;
};

// A fresh machine for one test.
TestMachine MakeTestMachine();

// The in-memory fakes the unit tests use: the shell writes its links into the fake files, the
// version resources are the fake's table.
TestMachine MakeFakeMachine();

// One implementation a contract suite runs against.
struct ContractMachine {
  const char* name;
  TestMachine (*make)();
  friend void PrintTo(const ContractMachine& machine, std::ostream* out) { *out << machine.name; }
};

// The contract suites run against this target's platform and against the fakes.
std::vector<ContractMachine> ContractMachines();

}  // namespace setup::testing
