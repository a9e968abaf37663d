// The installer's command line: the product name and the options both programs understand.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace setup {

struct CommandLine {
  // Argument 0 (the program as started) followed by the arguments that are not options, in
  // their order; argument 1, when present, is the product name.
  std::vector<std::string> arguments;
  std::optional<std::string> machine;    // --machine=DIR
  std::optional<std::string> directory;  // --dir=PATH, /DIR=PATH or /D=PATH
  std::optional<std::string> logCopy;    // --log=PATH or /LOG=PATH: where SETUP.LOG is copied
  bool unattended = false;               // --unattended or a fleet tool's silent switch
  bool help = false;                     // --help
  bool version = false;                  // --version
};

// Takes the options out of `argv` (argv[0] first). Options begin with "--" and may stand
// anywhere; a lone "--" ends them, so a later argument that begins with "--" is an argument.
// The switches deployment tools send are options too, in any letter case: /S, /SILENT,
// /VERYSILENT, /quiet and /qn (unattended), /DIR=PATH, /LOG=PATH, and /D=PATH, which takes the
// rest of the line as the path (blanks included).
// Answers false with a message in *error for an unknown option or one missing its value.
[[nodiscard]] bool ParseCommandLine(const std::vector<std::string>& argv, CommandLine* result,
                                    std::string* error);

// The text of --help for a program started as `programName`. `withMachine` lists --machine.
std::string UsageText(const std::string& programName, bool withMachine);

// The text of --version.
std::string VersionText();

}  // namespace setup
