// setup-pack build --uninstaller: what a distribution needs for the generic uninstaller.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "pack/commands.h"
#include "pack/diagnostics.h"

namespace setup::pack {

// How the product appears in the system's list of installed programs, as typed on the command
// line (UTF-8 or Windows-1252).
struct UninstallerListing {
  std::string productName;               // --name
  std::optional<std::string> version;    // --version: DisplayVersion
  std::optional<std::string> publisher;  // --publisher: Publisher
};

// Takes "--uninstaller" out of `args` (the rest stays for build's own parser): whether it was
// there.
bool TakeUninstallerOption(std::vector<std::string>* args);
// The uninstaller lists the product under --name: false after a report when it is missing or
// when it, --version or --publisher holds what a registry path or a script line cannot.
bool CheckUninstallerListing(const Command& self, const std::optional<std::string>& productName,
                             const std::optional<std::string>& version,
                             const std::optional<std::string>& publisher);
// The payloads AddUninstaller writes, for the distribution's manifest.
std::vector<std::filesystem::path> UninstallerPayloads();
// The uninstaller's file name beside the installer `installer`: Uninstall.exe or uninstall.
std::string UninstallerProgramName(const std::filesystem::path& installer);

// The author's K lines of the product's uninstall key that would have the system's list start
// another program than the uninstaller (`programName`, installed into ?APPDIR?) added to the
// plain script `plainScriptBytes` (CR LF, Windows-1252): UninstallString and
// QuietUninstallString.
[[nodiscard]] Diagnostics ForeignUninstallCommands(const std::string& plainScriptBytes,
                                                   const std::string& typedProductName,
                                                   const std::string& programName);

// Writes into `out` the uninstaller program (found beside `installer`, else beside setup-pack),
// the scrambled script with the uninstaller's F and K lines appended to `plainScriptBytes` (the
// plain script) (as setup.drc), and the same script compressed as the copy the uninstaller reads
// back. `payloadBytes` is what the script's files take once installed. The author's own K lines
// for the product's uninstall key win. False after a report.
bool AddUninstaller(const Command& self, const std::string& plainScriptBytes,
                    const std::filesystem::path& installer, const std::filesystem::path& ownDir,
                    const std::filesystem::path& out, const UninstallerListing& listing,
                    std::uint64_t payloadBytes);

}  // namespace setup::pack
