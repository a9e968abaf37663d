// Parsing the uninstaller's command line.
#include "uninstall/uninstall_command_line.h"

#include <cctype>
#include <cstdlib>

#include "platform/ascii_case.h"

namespace setup {
namespace {}  // namespace

bool ParseUninstallCommandLine(const std::vector<std::string>& argv, UninstallCommandLine* result,
                               std::string* error) {
  *result = UninstallCommandLine{};
  for (std::size_t i = 1; i < argv.size(); ++i) {
    const std::string& arg = argv[i];
    if (result->removeAfter) {
      result->paths.push_back(arg);
      continue;
    }
    const std::string upper = UpperCaseAscii(arg);
    if (arg == "--unattended" || upper == "/S" || upper == "/SILENT" || upper == "/VERYSILENT" ||
        upper == "/QUIET" || upper == "/QN") {
      result->unattended = true;
    } else if (arg == "--remove-shared") {
      result->removeShared = true;
    } else if (arg == "--remove-changed") {
      result->removeChanged = true;
    } else if (arg == "--help" || arg == "/?") {
      result->help = true;
    } else if (arg == "--version") {
      result->version = true;
    } else if (arg.rfind("--machine=", 0) == 0 && arg.size() > 10) {
      result->machine = arg.substr(10);
    } else if (arg.rfind("--remove-after=", 0) == 0) {
      const std::string digits = arg.substr(15);
      char* end = nullptr;
      const unsigned long pid = std::strtoul(digits.c_str(), &end, 10);
      if (digits.empty() || end == nullptr || *end != '\0' ||
          digits.find_first_not_of("0123456789") != std::string::npos) {
        *error = "option --remove-after needs a process number";
        return false;
      }
      result->removeAfter = pid;
    } else if (arg == "--machine" || arg == "--machine=") {
      *error = "option --machine needs a value (--machine=DIR)";
      return false;
    } else {
      *error = "unknown argument '" + arg + "' (see --help)";
      return false;
    }
  }
  if (result->removeShared && !result->unattended) {
    *error = "option --remove-shared is for unattended runs; otherwise the uninstaller asks";
    return false;
  }
  return true;
}

std::string UninstallUsageText(const std::string& programName, bool withMachine) {
  std::string text = "Usage: " + programName + " [OPTIONS]\n";
  text +=
      "Removes the product installed into this program's directory: its shortcuts, registry\n"
      "values, files and directories, and lowers the counts of its shared files.\n\n";
  if (withMachine) {
    text += "  --machine=DIR     the machine folder (else $SETUP_MACHINE, else the default)\n";
  }
  text +=
      "  --unattended      ask nothing (also /S, /SILENT, /VERYSILENT, /quiet or /qn);\n"
      "                    messages go to standard error\n"
      "  --remove-shared   unattended: remove shared files no program uses any more\n"
      "  --remove-changed  also remove installed files changed since their installation\n"
      "  --help            this text\n"
      "  --version         the version\n\n"
      "Exit status: 0 removed (what stays, the user's own or changed files or shared files\n"
      "still in use, is listed with its reason), 1 could not start (no installation record or\n"
      "one that does not match), 2 cancelled, 4 something the product installed could not be\n"
      "removed (listed in the final message and the log).\n";
  return text;
}

std::string UninstallVersionText() { return std::string("Uninstall ") + SETUP_VERSION + "\n"; }

}  // namespace setup
