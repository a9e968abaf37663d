// Command lines of any shape, as deployment tools and users type them (the input's arguments
// split at 0x01 bytes): parsing never crashes, a refusal always says why, and a /D= switch
// always ends the line, so nothing after it becomes the product name.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "fuzz_input.h"
#include "uninstall/uninstall_command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> argv = setup::fuzz::SplitInput(data, size, '\x01', 16);
  argv.insert(argv.begin(), "Setup.exe");

  setup::CommandLine line;
  std::string error;
  if (setup::ParseCommandLine(argv, &line, &error)) {
    FUZZ_CHECK(!line.arguments.empty());
    FUZZ_CHECK(line.arguments.size() <= argv.size());
  } else {
    FUZZ_CHECK(!error.empty());
  }

  setup::UninstallCommandLine uninstall;
  std::string uninstallError;
  if (!setup::ParseUninstallCommandLine(argv, &uninstall, &uninstallError)) {
    FUZZ_CHECK(!uninstallError.empty());
  }
  return 0;
}
