// Reading a plain script, checking it against a machine and a source folder, and telling the
// author what was found.
#include "pack/script_check_run.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "pack/checking_machine.h"
#include "pack/tool_support.h"

namespace setup::pack {

std::optional<ScriptCheck> RunScriptCheck(const Command& self, const ScriptCheckRequest& request,
                                          std::FILE* out, bool alwaysCount) {
  namespace fs = std::filesystem;
  std::ifstream in(request.script, std::ios::binary);
  if (!in) {
    ReportError(self, "cannot read the script '" + request.script + "'");
    return std::nullopt;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    ReportError(self, "cannot read the script '" + request.script + "'");
    return std::nullopt;
  }

  CheckingMachine machine;
  if (std::string error = machine.Open(request.machine); !error.empty()) {
    ReportError(self, error);
    return std::nullopt;
  }
  const Platform platform = machine.platform();
  ScriptCheckOptions options;
  options.machine = &platform;
  if (request.from) {
    const fs::path from(*request.from);
    options.sourceFolder = FromTerminal(*request.from);
    options.sourceExists = [from](const std::string& relative) {
      std::error_code error;
      return fs::is_regular_file(DiskPath(from, relative), error);
    };
  }
  ScriptCheck check = CheckScript(bytes, options);
  const Diagnostics& found = check.diagnostics;
  found.Print(out, request.script, ForTerminal);
  if (alwaysCount || !found.all().empty()) {
    std::fprintf(out, "%s: %s\n", request.script.c_str(),
                 CountText(found.errors(), found.warnings()).c_str());
  }
  return check;
}

}  // namespace setup::pack
