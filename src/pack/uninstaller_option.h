// setup-pack build --uninstaller: what a distribution needs for the generic uninstaller.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "pack/commands.h"

namespace setup::pack {

// Takes "--uninstaller" out of `args` (the rest stays for build's own parser): whether it was
// there.
bool TakeUninstallerOption(std::vector<std::string>* args);
// The uninstaller lists the product under --name: false after a report when it is missing or
// holds what a registry path or a script line cannot.
bool CheckUninstallerName(const Command& self, const std::optional<std::string>& productName);
// The payloads AddUninstaller writes, for the distribution's manifest.
std::vector<std::filesystem::path> UninstallerPayloads();

// Writes into `out` the uninstaller program (found beside `installer`, else beside setup-pack),
// the scrambled script with the uninstaller's F and K lines appended to `plainScriptBytes` (the
// plain script) (as setup.drc), and the same script compressed as the copy the uninstaller reads
// back. The author's own K lines for the product's uninstall key win. False after a report.
bool AddUninstaller(const Command& self, const std::string& plainScriptBytes,
                    const std::filesystem::path& installer, const std::filesystem::path& ownDir,
                    const std::filesystem::path& out, const std::string& productName);

}  // namespace setup::pack
