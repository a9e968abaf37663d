// Options of the form --name VALUE or --name=VALUE, and plain arguments.
#include "pack/command_options.h"

#include "pack/tool_support.h"

namespace setup::pack {

bool ParseCommandOptions(const Command& self, const std::vector<std::string>& args,
                         const std::vector<OptionSpec>& specs, std::vector<std::string>* plain) {
  const std::string help = std::string(" (see 'setup-pack ") + self.name + " --help')";
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      if (plain == nullptr) {
        ReportError(self, "unexpected argument '" + arg + "'" + help);
        return false;
      }
      plain->push_back(arg);
      continue;
    }
    std::string name = arg;
    std::optional<std::string> value;
    if (const std::size_t equals = name.find('='); equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.erase(equals);
    }
    const OptionSpec* spec = nullptr;
    for (const OptionSpec& candidate : specs) {
      if (name == candidate.name) spec = &candidate;
    }
    if (spec == nullptr) {
      ReportError(self, "unknown option '" + arg + "'" + help);
      return false;
    }
    if (!value && i + 1 < args.size()) value = args[++i];
    if (!value || value->empty()) {
      ReportError(self, "option " + name + " needs a value");
      return false;
    }
    *spec->value = *value;
  }
  for (const OptionSpec& spec : specs) {
    if (spec.required && !*spec.value) {
      ReportError(self, std::string("missing ") + spec.name + help);
      return false;
    }
  }
  return true;
}

}  // namespace setup::pack
