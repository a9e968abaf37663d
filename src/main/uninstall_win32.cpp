// Uninstall.exe: the Windows uninstaller, in real dialogs, or unattended with /S, /SILENT or
// --unattended. It removes the installation it lies in, and then itself once it has ended.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/own_program.h"
#include "platform/standard_text.h"
#include "platform/win32/program_text.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_machine_lock.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_program_remover.h"
#include "platform/win32/win32_window_system.h"
#include "platform/win32/windows_headers.h"
#include "ui/unattended_window_system.h"
#include "uninstall/run_uninstall.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  setup::RestrictLibrarySearchToSystem();
  using namespace setup;
  const std::vector<std::string> argv(__argv, __argv + __argc);
  const std::string title = ProgramTitle();

  UninstallCommandLine commandLine;
  std::string parseError;
  if (!ParseUninstallCommandLine(argv, &commandLine, &parseError)) {
    ShowProgramText(title + ": " + parseError + "\n", true, title);
    return kUninstallCannotStart;
  }
  if (commandLine.removeAfter)
    return RemoveAfterProcess(*commandLine.removeAfter, commandLine.paths);
  if (commandLine.machine) {
    ShowProgramText(title + ": option --machine is only for the Linux program\n", true, title);
    return kUninstallCannotStart;
  }
  if (commandLine.help) {
    ShowProgramText(UninstallUsageText(title, false), false, title);
    return kUninstallRemoved;
  }
  if (commandLine.version) {
    ShowProgramText(UninstallVersionText(), false, title);
    return kUninstallRemoved;
  }
  // Removal works on MAX_PATH-sized names.
  const std::string self = OwnProgramPath();
  if (self.empty() || self.size() >= MAX_PATH) {
    ShowProgramText(title + ": the program's own path cannot be told\n", true, title);
    return kUninstallCannotStart;
  }

  Win32MachineLock lock;
  if (!lock.Acquire()) {
    ShowProgramText(title + ": " + kMachineLockedText + "\n", true, title);
    return kUninstallCannotStart;
  }

  std::unique_ptr<WindowSystem> windows;
  if (commandLine.unattended) {
    windows = std::make_unique<UnattendedWindowSystem>(title, std::nullopt, StandardError());
  } else {
    windows = std::make_unique<Win32WindowSystem>(instance);
  }
  const Win32Platform machine(*windows);
  Win32ProgramRemover remover;
  const int status = RunUninstall(machine.platform(), commandLine, self, remover).exitStatus;
  remover.Finish();
  return status;
}
