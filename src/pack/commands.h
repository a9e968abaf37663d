// The commands of setup-pack: each lives in its own file and is listed in setup_pack.cpp.
#pragma once

#include <string>
#include <vector>

namespace setup::pack {

struct Command {
  const char* name;
  const char* arguments;  // e.g. "IN OUT"
  const char* summary;    // one line for the command list
  const char* details;    // the rest of the command's --help text
  // Runs with the arguments after the command's name; answers the exit status.
  int (*run)(const std::vector<std::string>& args);
};

extern const Command kCompressCommand;
extern const Command kExpandCommand;
extern const Command kScrambleCommand;
extern const Command kUnscrambleCommand;
extern const Command kBuildCommand;
extern const Command kVerifyCommand;
extern const Command kBundleCommand;
extern const Command kCheckCommand;
extern const Command kInitCommand;

// Exit statuses.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

}  // namespace setup::pack
