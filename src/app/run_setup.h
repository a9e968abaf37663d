// The installer's entry, shared by the host program and the Windows program: both parse the
// same command line and end with the same exit statuses (see ExitStatus in setup_app.h).
//
// A program's main does, in this order:
//   1. ParseCommandLine(argv) (command_line.h) and, when it answers an exit status,
//      HandleInformationalOptions() ends the program: bad options (1), --help and --version (0).
//   2. Builds its Platform with the front end the options ask for (--unattended: an
//      UnattendedWindowSystem given --dir; else its interactive one).
//   3. RunSetup(), which runs the whole installer and answers the exit status and SETUP.LOG's
//      path (a Windows path) when the installation page created that file.
#pragma once

#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/setup_app.h"
#include "platform/platform.h"
#include "platform/text_sink.h"

namespace setup {

struct SetupOutcome {
  int exitStatus = kExitCompleted;
  std::string logFilePath;      // empty when no SETUP.LOG was created
  std::string conversionError;  // SetupApp::ConversionError()
};

// Settles a parse failure, --help and --version: writes the message (to `err`) or the text
// (to `out`) and answers the exit status to end with; nothing when the installer should run.
// `allowMachine` is false for the Windows program, which rejects --machine.
std::optional<int> HandleInformationalOptions(bool parsed, const std::string& parseError,
                                              const CommandLine& commandLine,
                                              const std::string& programName, bool allowMachine,
                                              TextSink& out, TextSink& err);

// Runs the installer in the current directory; `programFolder` opens the files beside the
// program. When the options ask for a copy of the log, the closed log is copied there; a copy
// that fails turns a complete installation into an incomplete one (told in a box).
SetupOutcome RunSetup(const Platform& platform, const CommandLine& commandLine,
                      ProgramFolder& programFolder);

}  // namespace setup
