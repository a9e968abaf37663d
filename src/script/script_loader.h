// Reading a scrambled setup script into the tables, and scrambling a plain one.
#pragma once

#include <cstddef>
#include <string>

#include "platform/platform.h"
#include "script/setup_script.h"

namespace setup {

// The name of the plain-text script that start-up converts into "setup.drc".
inline constexpr const char* kPlainScriptName = "setup.txt";

// A line of the script, line feed included, occupies at most this many bytes of the loader's
// buffer; a longer one is refused.
inline constexpr std::size_t kScriptLineBufferSize = 520;

// Loads `scriptPath` into `script`; 1 when every line was consumed, 0 otherwise. A null
// `destinationDirectory` expands ?APPDIR? to the placeholder word.
[[nodiscard]] int LoadFileList(const Platform& platform, SetupScript& script,
                               WindowHandle ownerWindow, const char* scriptPath,
                               const char* destinationDirectory);

// What stopped a conversion: the file and the C runtime's errno value (0 when not known).
struct ScrambleFailure {
  std::string path;
  int crtError = 0;
};

// Writes `plainPath` scrambled into `scrambledPath`; 1 when every byte was written. The text is
// written beside (`scrambledPath` + ".~new") and put in place in one step, so on 0 the old
// `scrambledPath` (or none) is left, never part of one. A plain script larger than the loader
// reads is refused (EFBIG). On 0, `failure` (when given) names the file that could not be read
// or written and why.
[[nodiscard]] int ScrambleScript(FileSystem& files, const char* plainPath,
                                 const char* scrambledPath, ScrambleFailure* failure = nullptr);

}  // namespace setup
