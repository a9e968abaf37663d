// The host uninstaller `uninstall`: started from the product's installation directory inside a
// machine folder, it removes that installation, with the installer's three front ends.
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/application_title.h"
#include "platform/ascii_case.h"
#include "platform/host/files/machine_folder.h"
#include "platform/host/files/native_names.h"
#include "platform/host/host_platform.h"
#include "platform/host/host_text_encoding.h"
#include "platform/own_program.h"
#include "platform/standard_text.h"
#include "platform/terminal.h"
#include "ui/frontend_window_system.h"
#include "ui/terminal/interactive_front_end.h"
#include "ui/unattended_window_system.h"
#include "uninstall/run_uninstall.h"

namespace setup {
namespace {

namespace fs = std::filesystem;

// Linux lets a running program's file go at once.
class HostProgramRemover final : public ProgramRemover {
 public:
  explicit HostProgramRemover(FileSystem& files) : files_(files) {}
  Win32Error RemoveProgram(const std::string& path, bool* deferred) override {
    *deferred = false;
    return files_.DeleteFile(path);
  }
  void RemoveDirectoryLater(const std::string&) override {}

 private:
  FileSystem& files_;
};

// The Windows path of this program inside the machine folder (DIR/drive_c/x/y is C:\x\y), its
// names in the ANSI code page as the machine folder stores them in UTF-8; empty when it lies
// outside.
std::string ProgramWindowsPath(const std::string& machineDir, const AnsiCodePage& codePage) {
  const fs::path self = OwnProgramPath();
  if (self.empty()) return "";
  std::error_code error;
  const fs::path machine = fs::weakly_canonical(machineDir, error);
  if (error) return "";
  const fs::path relative = self.lexically_relative(machine);
  if (relative.empty() || *relative.begin() == "..") return "";
  std::string windows;
  bool first = true;
  for (const fs::path& part : relative) {
    const std::string name = part.string();
    if (first) {
      if (name.size() != 7 || name.rfind("drive_", 0) != 0 ||
          std::isalpha(static_cast<unsigned char>(name[6])) == 0) {
        return "";
      }
      windows = std::string(1, UpperAscii(name[6])) + ":";
      first = false;
      continue;
    }
    windows += "\\" + AnsiName(codePage, name);
  }
  return windows;
}

int Main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  if (args.empty()) args.emplace_back("uninstall");
  const std::string title = ApplicationTitleFromPath(args[0]);
  TextSink& err = StandardError();

  UninstallCommandLine commandLine;
  std::string parseError;
  if (!ParseUninstallCommandLine(args, &commandLine, &parseError) || commandLine.removeAfter) {
    err << title << ": " << (parseError.empty() ? "unknown option --remove-after" : parseError)
        << "\n";
    return kUninstallCannotStart;
  }
  if (commandLine.help) {
    StandardOutput() << UninstallUsageText(title, true);
    return kUninstallRemoved;
  }
  if (commandLine.version) {
    StandardOutput() << UninstallVersionText();
    return kUninstallRemoved;
  }
  const std::string machineDir =
      ChooseMachineFolder(commandLine.machine, std::getenv("SETUP_MACHINE"),
                          std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
  if (machineDir.empty()) {
    err << title << ": no machine folder: give --machine=DIR or set SETUP_MACHINE\n";
    return kUninstallCannotStart;
  }
  // Where this program lies is told before anything is shown; its Windows path needs the
  // machine's code page, known once the registry has been read.
  if (ProgramWindowsPath(machineDir, AnsiCodePage()).empty()) {
    err << title << ": this program lies outside the machine folder " << machineDir
        << "; start the uninstaller installed with the product\n";
    return kUninstallCannotStart;
  }
  const std::string currentDir = HostPlatform::CurrentDirectory();

  // The front end shows the machine's ANSI texts in the terminal's encoding.
  HostTextEncoding encoding;
  std::unique_ptr<Terminal> terminal;
  std::unique_ptr<FrontEndWindowSystem> windows;
  if (commandLine.unattended) {
    windows = std::make_unique<UnattendedWindowSystem>(title, std::nullopt, err, encoding);
  } else {
    windows = OpenInteractiveFrontEnd(title, encoding, &terminal);
  }

  UninstallOutcome outcome;
  {
    HostPlatform host(machineDir, currentDir.empty() ? std::string("/") : currentDir, *windows);
    if (std::string error = host.Open(); !error.empty()) {
      windows.reset();
      terminal.reset();
      err << title << ": " << error << "\n";
      return kUninstallCannotStart;
    }
    encoding.SetCodePage(host.codePage());
    HostProgramRemover remover(host.files());
    outcome = RunUninstall(host.platform(), commandLine,
                           ProgramWindowsPath(machineDir, host.codePage()), remover);
  }
  windows.reset();
  terminal.reset();
  return outcome.exitStatus;
}

}  // namespace
}  // namespace setup

int main(int argc, char** argv) { return setup::Main(argc, argv); }
