// setup-pack check: tells a product author every problem of a plain setup script, by line.
#include "pack/command_options.h"
#include "pack/commands.h"
#include "pack/script_check_run.h"
#include "pack/tool_support.h"

namespace setup::pack {
namespace {

int RunCheck(const std::vector<std::string>& args) {
  const Command& self = kCheckCommand;
  ScriptCheckRequest request;
  std::vector<std::string> plain;
  if (!ParseCommandOptions(self, args, {{"--machine", &request.machine}, {"--from", &request.from}},
                           &plain)) {
    return kExitUsage;
  }
  if (plain.size() != 1) {
    ReportError(self, "name one script (see 'setup-pack check --help')");
    return kExitUsage;
  }
  request.script = plain[0];
  const std::optional<ScriptCheck> check = RunScriptCheck(self, request, stdout, true);
  if (!check) return kExitFailure;
  return check->diagnostics.errors() > 0 ? kExitFailure : kExitSuccess;
}

}  // namespace

const Command kCheckCommand = {
    "check",
    "SCRIPT [--machine=DIR] [--from SRCDIR]",
    "Checks a plain setup script and names every problem by line and column.",
    "  --machine=DIR    expand the macros with this machine folder's directories (default: the\n"
    "                   installer's machine folder; on Windows, this machine)\n"
    "  --from SRCDIR    also check that every F line's source exists below SRCDIR\n"
    "\n"
    "Each problem is printed as FILE:LINE:COLUMN: error: TEXT (or warning:), with a hint where\n"
    "one helps; the last line counts errors and warnings. An error is something that makes the\n"
    "installer stop reading the script or cannot be what the author meant; a warning may be\n"
    "meant; a note (not counted) says what build does about a line. Exit status: 0 without\n"
    "errors, 1 with errors, 2 for bad usage.\n",
    RunCheck,
};

}  // namespace setup::pack
