// The uninstaller's command line: the options of both programs and the Windows conventions.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace setup {

struct UninstallCommandLine {
  std::optional<std::string> machine;  // --machine=DIR (the host program only)
  bool unattended = false;             // --unattended or a silent switch (/S, /qn, ...)
  bool removeShared = false;           // --remove-shared: unattended, shared files at 0 go
  bool removeChanged = false;          // --remove-changed: files changed since installed go
  bool help = false;                   // --help
  bool version = false;                // --version
  // The Windows program started from its copy in the temporary directory, to remove the
  // original after it has ended: --remove-after=PID followed by the paths to remove.
  std::optional<unsigned long> removeAfter;
  std::vector<std::string> paths;
};

// Takes `argv` (argv[0] first). Answers false with a message in *error for anything it does not
// know: the uninstaller has no arguments of its own besides the paths of --remove-after.
[[nodiscard]] bool ParseUninstallCommandLine(const std::vector<std::string>& argv,
                                             UninstallCommandLine* result, std::string* error);

// The text of --help for a program started as `programName`. `withMachine` lists --machine.
std::string UninstallUsageText(const std::string& programName, bool withMachine);
// The text of --version, as the installer's.
std::string UninstallVersionText();

}  // namespace setup
