// The host's platform objects for one machine folder, owned together in their order of use.
#pragma once

#include <memory>
#include <string>

#include "platform/host/ansi_code_page.h"
#include "platform/host/files/machine_file_system.h"
#include "platform/host/registry/host_registry.h"
#include "platform/host/save_point_window_system.h"
#include "platform/host/shell/host_shell.h"
#include "platform/host/version/pe_version_info.h"
#include "platform/platform.h"
#include "platform/system_clock.h"

namespace setup {

class HostPlatform {
 public:
  // `machineDir`: the machine folder (see ChooseMachineFolder); `currentDir`: the native
  // directory that relative Windows paths start from. `windows` is the front end's and must
  // outlive this object.
  HostPlatform(const std::string& machineDir, const std::string& currentDir, WindowSystem& windows);
  ~HostPlatform();
  HostPlatform(const HostPlatform&) = delete;
  HostPlatform& operator=(const HostPlatform&) = delete;

  // Reads the machine's registry and, on first use, creates the folder with its defaults.
  // Answers an empty text, or the error to show (a corrupt registry.reg names file and line).
  // From here on this object holds the machine folder's lock: while another installer holds it,
  // Open() answers an error saying so. The machine's ANSI code page is read here: one the host
  // does not know is an error too.
  // Registry changes are saved at the save points of the window system that platform() hands
  // out (after every timer tick, before every message box) and when this object goes; Flush()
  // saves them earlier, e.g. to report a failure at the end of the run.
  std::string Open();
  Win32Error Flush() { return registry_.Flush(); }

  // Reads the machine's registry and nothing else: no lock is taken and a missing folder is not
  // created, for tools that only look at the machine. Answers an empty text or the error.
  std::string OpenToRead();

  Platform platform();

  MachineFileSystem& files() { return files_; }
  HostRegistry& registry() { return registry_; }
  HostShell& shell() { return shell_; }
  // Windows-1252 until Open() has read the machine's.
  const AnsiCodePage& codePage() const { return codePage_; }

  // The process's current directory, for `currentDir`; empty when it cannot be told.
  static std::string CurrentDirectory();

 private:
  class MachineLock;
  std::string LockMachineFolder();
  std::string ReadCodePage();

  // Declared first, so that it is released after everything else.
  std::unique_ptr<MachineLock> lock_;
  std::string machineDir_;
  // Read by the file system and the shell, so it comes before them.
  AnsiCodePage codePage_;
  // The registry comes first: the file system and the shell read it, so it must outlive them.
  HostRegistry registry_;
  MachineFileSystem files_;
  HostShell shell_;
  PeVersionInfo versions_;
  SystemClock clock_;
  SavePointWindowSystem windows_;
};

}  // namespace setup
