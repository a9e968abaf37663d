// The uninstaller's whole run, shared by the host program and the Windows program: the script
// copy read back, the question, the progress page, the final message and the exit status.
#pragma once

#include <string>

#include "platform/platform.h"
#include "platform/program_remover.h"
#include "uninstall/uninstall_command_line.h"

namespace setup {

// Exit statuses.
enum : int {
  kUninstallRemoved = 0,      // removed, or nothing of the product was there
  kUninstallCannotStart = 1,  // no script copy, bad command line, another installer running
  kUninstallCancelled = 2,    // the user answered No
  kUninstallIncomplete = 4,   // something could not be removed (listed and logged)
};

struct UninstallOutcome {
  int exitStatus = kUninstallRemoved;
  std::string logFilePath;  // a Windows path; empty when no log was written
};

// `programPath`: the uninstaller's own file as a Windows path; its script copy lies beside it.
UninstallOutcome RunUninstall(const Platform& platform, const UninstallCommandLine& commandLine,
                              const std::string& programPath, ProgramRemover& remover);

}  // namespace setup
