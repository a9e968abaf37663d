// setup-pack build --uninstaller: what a distribution needs for the generic uninstaller.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "commands.h"

namespace setup::pack {

// Takes "--uninstaller" and "--name NAME" out of `args` (the rest stays for build's own parser);
// nothing when neither is given. Answers false with a report when one is given without the other.
bool TakeUninstallerOptions(const Command& self, std::vector<std::string>* args,
                            std::optional<std::string>* productName);

// Writes into `out` the uninstaller program (found beside `installer`, else beside setup-pack),
// the scrambled script with the uninstaller's F and K lines appended to `plainScriptBytes` (the
// plain script) (as setup.drc), and the same script compressed as the copy the uninstaller reads
// back. The author's own K lines for the product's uninstall key win. False after a report.
bool AddUninstaller(const Command& self, const std::string& plainScriptBytes,
                    const std::filesystem::path& installer, const std::filesystem::path& ownDir,
                    const std::filesystem::path& out, const std::string& productName);

}  // namespace setup::pack
