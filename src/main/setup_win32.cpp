// Setup.exe: the Windows program. Same command line and exit statuses as the Linux program;
// the wizard runs in real dialogs, or unattended with --unattended.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/distribution_folder.h"
#include "app/run_setup.h"
#include "platform/standard_text.h"
#include "platform/win32/program_text.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_machine_lock.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_program_folder.h"
#include "platform/win32/win32_window_system.h"
#include "platform/win32/windows_headers.h"
#include "ui/unattended_window_system.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  setup::RestrictLibrarySearchToSystem();
  using namespace setup;
  // The runtime library's split of the command line (blanks separate, double quotes group).
  const std::vector<std::string> argv(__argv, __argv + __argc);
  const std::string title = ProgramTitle();

  CommandLine commandLine;
  std::string parseError;
  const bool parsed = ParseCommandLine(argv, &commandLine, &parseError);
  StringTextSink out, err;
  const auto informational = HandleInformationalOptions(parsed, parseError, commandLine, title,
                                                        /*allowMachine=*/false, out, err);
  if (informational) {
    ShowProgramText(out.str(), false, title);
    ShowProgramText(err.str(), true, title);
    return *informational;
  }

  Win32MachineLock lock;
  if (!lock.Acquire()) {
    ShowProgramText(title + ": " + kMachineLockedText + "\n", true, title);
    return kExitCannotStart;
  }

  std::unique_ptr<WindowSystem> windows;
  if (commandLine.unattended) {
    windows =
        std::make_unique<UnattendedWindowSystem>(title, commandLine.directory, StandardError());
  } else {
    windows = std::make_unique<Win32WindowSystem>(instance);
  }
  const Win32Platform machine(*windows);
  Win32ProgramFolder programFolder(machine.platform().files, argv.empty() ? "" : argv[0]);
  (void)EnterDistributionFolder(programFolder);
  return RunSetup(machine.platform(), commandLine, programFolder).exitStatus;
}
