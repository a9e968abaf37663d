// Reading a plain script, checking it against a machine and a source folder, and telling the
// author what was found: shared by setup-pack check and build.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "pack/commands.h"
#include "pack/script_checker.h"

namespace setup::pack {

struct ScriptCheckRequest {
  std::string script;                  // the plain script's path
  std::optional<std::string> machine;  // --machine
  std::optional<std::string> from;     // --from: where the sources lie
};

// Prints every diagnostic to `out`, followed by the count when `alwaysCount` or when there was
// any. Nothing when the script or the machine cannot be read (reported as `self`'s error).
[[nodiscard]] std::optional<ScriptCheck> RunScriptCheck(const Command& self,
                                                        const ScriptCheckRequest& request,
                                                        std::FILE* out, bool alwaysCount);

}  // namespace setup::pack
