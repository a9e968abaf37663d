// setup-pack: the product author's tool that makes payload files and setup scripts.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "pack/commands.h"

namespace setup::pack {
namespace {

// To add a command: declare it in commands.h, define it in its own file, list it here.
const Command* const kCommands[] = {
    &kCompressCommand, &kExpandCommand, &kScrambleCommand, &kUnscrambleCommand, &kInitCommand,
    &kCheckCommand,    &kBuildCommand,  &kVerifyCommand,   &kBundleCommand,
};

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h" || arg == "help"; }

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "Usage: setup-pack COMMAND ARGS...\n\nCommands:\n");
  for (const Command* command : kCommands) {
    std::fprintf(out, "  %-11s %s\n              %s\n", command->name, command->arguments,
                 command->summary);
  }
  std::fprintf(out,
               "\n'setup-pack COMMAND --help' describes one command; 'setup-pack --version' "
               "shows the version.\n");
}

void PrintCommandHelp(const Command& command) {
  std::printf("Usage: setup-pack %s %s\n\n%s\n\n%s", command.name, command.arguments,
              command.summary, command.details);
}

int Main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  const std::string name = argv[1];
  if (IsHelp(name)) {
    PrintUsage(stdout);
    return kExitSuccess;
  }
  if (name == "--version") {
    std::printf("setup-pack %s\n", SETUP_VERSION);
    return kExitSuccess;
  }
  for (const Command* command : kCommands) {
    if (name != command->name) continue;
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const std::string& arg : args) {
      if (IsHelp(arg)) {
        PrintCommandHelp(*command);
        return kExitSuccess;
      }
    }
    return command->run(args);
  }
  std::fprintf(stderr, "setup-pack: unknown command '%s'\n\n", name.c_str());
  PrintUsage(stderr);
  return kExitUsage;
}

}  // namespace
}  // namespace setup::pack

int main(int argc, char** argv) { return setup::pack::Main(argc, argv); }
