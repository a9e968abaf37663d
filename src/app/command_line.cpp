// Splitting the command line into the product name and the options.
#include "app/command_line.h"

#include <string_view>

#include "platform/ascii_case.h"

namespace setup {
namespace {

constexpr std::string_view kVersion = SETUP_VERSION;

// "--name=value": the value when `arg` is that option, else nothing.
std::optional<std::string> ValueOf(std::string_view arg, std::string_view name) {
  if (arg.size() <= name.size() || arg.substr(0, name.size()) != name || arg[name.size()] != '=') {
    return std::nullopt;
  }
  return std::string(arg.substr(name.size() + 1));
}

// A path given as /DIR="C:\x" reaches us with its quotes when the caller's split left them.
std::string Unquoted(std::string path) {
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
    return path.substr(1, path.size() - 2);
  }
  return path;
}

// "/NAME=value" in any letter case: the value when `arg` is that switch, else nothing.
std::optional<std::string> SwitchValue(const std::string& arg, std::string_view name) {
  if (arg.size() <= name.size() || arg[name.size()] != '=' ||
      UpperCaseAscii(arg.substr(0, name.size())) != name) {
    return std::nullopt;
  }
  return Unquoted(arg.substr(name.size() + 1));
}

bool IsSilentSwitch(const std::string& arg) {
  const std::string upper = UpperCaseAscii(arg);
  return upper == "/S" || upper == "/SILENT" || upper == "/VERYSILENT" || upper == "/QUIET" ||
         upper == "/QN";
}

enum class SwitchTaken { kNone, kTaken, kBad };

// Takes a fleet tool's switch at argv[*i]. /D= ends the line.
SwitchTaken TakeDeploymentSwitch(const std::vector<std::string>& argv, std::size_t* i,
                                 CommandLine* result, std::string* error) {
  const std::string& arg = argv[*i];
  if (arg.size() < 2 || arg[0] != '/') return SwitchTaken::kNone;
  if (IsSilentSwitch(arg)) {
    result->unattended = true;
  } else if (auto directory = SwitchValue(arg, "/DIR")) {
    result->directory = std::move(directory);
  } else if (auto log = SwitchValue(arg, "/LOG")) {
    if (log->empty()) {
      *error = "switch /LOG needs a file: /LOG=PATH";
      return SwitchTaken::kBad;
    }
    result->logCopy = std::move(log);
  } else if (auto rest = SwitchValue(arg, "/D")) {
    std::string path = std::move(*rest);
    for (++*i; *i < argv.size(); ++*i) path += " " + argv[*i];
    result->directory = std::move(path);
  } else {
    return SwitchTaken::kNone;
  }
  return SwitchTaken::kTaken;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& argv, CommandLine* result,
                      std::string* error) {
  *result = CommandLine{};
  bool optionsEnded = false;
  for (std::size_t i = 0; i < argv.size(); ++i) {
    const std::string& arg = argv[i];
    if (i > 0 && !optionsEnded) {
      const SwitchTaken taken = TakeDeploymentSwitch(argv, &i, result, error);
      if (taken == SwitchTaken::kBad) return false;
      if (taken == SwitchTaken::kTaken) continue;
    }
    if (i == 0 || optionsEnded || arg.size() < 2 || arg[0] != '-' || arg[1] != '-') {
      result->arguments.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--unattended") {
      result->unattended = true;
    } else if (arg == "--help") {
      result->help = true;
    } else if (arg == "--version") {
      result->version = true;
    } else if (auto machine = ValueOf(arg, "--machine")) {
      if (machine->empty()) {
        *error = "option --machine needs a folder: --machine=DIR";
        return false;
      }
      result->machine = std::move(machine);
    } else if (auto directory = ValueOf(arg, "--dir")) {
      result->directory = std::move(directory);
    } else if (auto log = ValueOf(arg, "--log")) {
      if (log->empty()) {
        *error = "option --log needs a file: --log=PATH";
        return false;
      }
      result->logCopy = std::move(log);
    } else if (arg == "--machine" || arg == "--dir" || arg == "--log") {
      *error = "option " + arg + " needs its value after '=': " + arg +
               (arg == "--machine" ? "=DIR" : "=PATH");
      return false;
    } else {
      *error = "unknown option '" + arg + "' (try --help)";
      return false;
    }
  }
  if (result->arguments.empty()) result->arguments.emplace_back();
  return true;
}

std::string UsageText(const std::string& programName, bool withMachine) {
  std::string text = "Usage: " + programName + " [ProductName] [options]\n";
  text +=
      "Installs the product described by setup.drc in the current directory.\n"
      "ProductName is shown in the captions and messages; each '*' in it stands for a blank.\n"
      "\n"
      "Options (they may stand anywhere):\n";
  if (withMachine) {
    text +=
        "  --machine=DIR   the folder that stands for the Windows machine (drive_c/, "
        "registry.reg)\n"
        "                  default: $SETUP_MACHINE, else "
        "${XDG_DATA_HOME:-$HOME/.local/share}/setup/machine\n";
  }
  text +=
      "  --unattended    ask no questions: accept every page, answer Yes/No boxes with Yes,\n"
      "                  write each message box to standard error\n"
      "  --dir=PATH      installation directory of an unattended run (default: the script's)\n"
      "  --log=PATH      copy the installation log (SETUP.LOG) to PATH when the run ends\n"
      "  /S /SILENT /VERYSILENT /quiet /qn   as --unattended (the switches of deployment "
      "tools)\n"
      "  /DIR=PATH       as --dir=PATH; /D=PATH too, which must end the line\n"
      "  /LOG=PATH       as --log=PATH\n"
      "  --help          show this text\n"
      "  --version       show the version\n"
      "\n"
      "Exit status: 0 installed (or setup.txt converted into setup.drc), 1 could not start,\n"
      "2 cancelled before the installation began, 3 installed, but some steps failed (a\n"
      "shortcut, a registry value, the log file), 4 installation aborted.\n";
  return text;
}

std::string VersionText() { return "Setup " + std::string(kVersion) + "\n"; }

}  // namespace setup
