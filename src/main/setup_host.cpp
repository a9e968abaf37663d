// The host installer `setup`: started in a product's distribution folder as on Windows, on a
// machine folder that stands for the Windows machine, with one of three front ends: the
// full-screen wizard on a terminal, line prompts otherwise, or none (--unattended).
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/distribution_folder.h"
#include "app/run_setup.h"
#include "platform/host/files/machine_folder.h"
#include "platform/host/host_platform.h"
#include "platform/host/host_program_folder.h"
#include "platform/host/host_text_encoding.h"
#include "platform/standard_text.h"
#include "platform/terminal.h"
#include "ui/frontend_window_system.h"
#include "ui/terminal/interactive_front_end.h"
#include "ui/unattended_window_system.h"

namespace setup {
namespace {

// The arguments after argument 0 (which locates files natively) and --dir as ANSI text; an
// empty text, or the message when one holds a character the code page lacks.
std::string ArgumentsToAnsi(const TextEncoding& encoding, CommandLine* commandLine) {
  auto convert = [&](std::string* text, const std::string& what) -> std::string {
    EncodeFailure failure;
    std::optional<std::string> ansi = TerminalToAnsi(encoding, *text, &failure);
    if (ansi) {
      *text = std::move(*ansi);
      return "";
    }
    if (failure.invalid) return what + " is not text in the locale's encoding";
    return what + ": " + encoding.ToTerminal(RefusedCharacterMessage(encoding, failure.refused));
  };
  for (std::size_t i = 1; i < commandLine->arguments.size(); ++i) {
    const std::string what = i == 1 ? "the product name" : "argument " + std::to_string(i);
    if (std::string error = convert(&commandLine->arguments[i], what); !error.empty()) {
      return error;
    }
  }
  if (commandLine->directory) {
    if (std::string error = convert(&*commandLine->directory, "--dir"); !error.empty()) {
      return error;
    }
  }
  if (commandLine->logCopy) return convert(&*commandLine->logCopy, "--log");
  return "";
}

int Main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  if (args.empty()) args.emplace_back("setup");
  const std::string title = ApplicationTitleFromPath(args[0]);
  TextSink& err = StandardError();

  CommandLine commandLine;
  std::string parseError;
  bool parsed = ParseCommandLine(args, &commandLine, &parseError);
  if (std::optional<int> status = HandleInformationalOptions(parsed, parseError, commandLine, title,
                                                             true, StandardOutput(), err)) {
    return *status;
  }
  if (commandLine.directory && !commandLine.unattended) {
    err << title << ": --dir is for unattended runs; the wizard asks for the directory\n";
  }

  std::string machineDir = ChooseMachineFolder(commandLine.machine, std::getenv("SETUP_MACHINE"),
                                               std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
  if (machineDir.empty()) {
    err << title << ": no machine folder: give --machine=DIR or set SETUP_MACHINE\n";
    return kExitCannotStart;
  }
  HostProgramFolder programFolder(args[0]);
  (void)EnterDistributionFolder(programFolder);
  std::string currentDir = HostPlatform::CurrentDirectory();
  if (currentDir.empty()) {
    err << title << ": the current directory cannot be told\n";
    return kExitCannotStart;
  }

  // The front end. The terminal (when there is one) is restored before anything is printed.
  // Its texts are in the machine's code page, known once the registry has been read.
  HostTextEncoding encoding;
  std::unique_ptr<Terminal> terminal;
  std::unique_ptr<FrontEndWindowSystem> windows;
  UnattendedWindowSystem* unattended = nullptr;
  if (commandLine.unattended) {
    auto front = std::make_unique<UnattendedWindowSystem>(title, std::nullopt, err, encoding);
    unattended = front.get();
    windows = std::move(front);
  } else {
    windows = OpenInteractiveFrontEnd(title, encoding, &terminal);
  }

  SetupOutcome outcome;
  std::string nativeLogPath;
  std::string saveError;
  {
    HostPlatform host(machineDir, currentDir, *windows);
    if (std::string error = host.Open(); !error.empty()) {
      windows.reset();
      terminal.reset();
      err << title << ": " << error << "\n";
      return kExitCannotStart;
    }
    encoding.SetCodePage(host.codePage());
    // The product name and --dir come in the locale's encoding; the system reads ANSI text.
    if (std::string error = ArgumentsToAnsi(encoding, &commandLine); !error.empty()) {
      windows.reset();
      terminal.reset();
      err << title << ": " << error << "\n";
      return kExitCannotStart;
    }
    if (unattended != nullptr) unattended->SetDirectory(commandLine.directory);
    outcome = RunSetup(host.platform(), commandLine, programFolder);
    // The last registry changes are saved here at the latest; registry values lost are an
    // aborted installation, whatever the run ended with before.
    if (host.Flush() != kErrorSuccess) {
      saveError = host.registry().LastError();
      outcome.exitStatus = kExitAborted;
    }
    if (!outcome.logFilePath.empty() &&
        host.files().ToNativePath(outcome.logFilePath, &nativeLogPath) != kErrorSuccess) {
      nativeLogPath = outcome.logFilePath;
    }
  }
  windows.reset();
  terminal.reset();

  if (!saveError.empty()) err << title << ": " << saveError << "\n";
  // The conversion shows nothing, but a failure must not pass without a word.
  if (!outcome.conversionError.empty()) {
    err << title << ": setup.txt not converted: " << outcome.conversionError << "\n";
  }
  if (outcome.exitStatus == kExitAborted && commandLine.unattended && !nativeLogPath.empty()) {
    err << title << ": installation aborted; the log is " << nativeLogPath << "\n";
  }
  return outcome.exitStatus;
}

}  // namespace
}  // namespace setup

int main(int argc, char** argv) { return setup::Main(argc, argv); }
