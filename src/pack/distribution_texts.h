// The welcome and terms texts and the script as the distribution gets them, and what the
// author is told about the changes made on the way.
#pragma once

#include <optional>
#include <string>

#include "pack/commands.h"
#include "pack/text_normaliser.h"

namespace setup::pack {

struct DistributionTextKind {
  const char* option;       // "--welcome"
  const char* fileName;     // "Setup2.txt"
  const char* whenMissing;  // the warning's reason when the option is not given
};

inline constexpr DistributionTextKind kWelcomeText = {"--welcome", "Setup2.txt",
                                                      "the welcome page shows no text"};
inline constexpr DistributionTextKind kTermsText = {
    "--terms", "terms.txt", "users accept terms and conditions they are never shown"};

// Reads `path` (when given) and normalises it: CR LF line ends, Windows-1252. Warns when no
// path is given and answers true with `*bytes` empty; reports an error naming line and
// character when a character has no place in Windows-1252, and answers false.
bool PrepareDistributionText(const Command& self, const DistributionTextKind& kind,
                             const std::optional<std::string>& path,
                             std::optional<std::string>* bytes);

// One line per change made to the author's script on its way into setup.drc.
void TellScriptChanges(const std::string& script, const NormalisedText& normalised);

}  // namespace setup::pack
