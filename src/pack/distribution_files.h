// What setup-pack writes into a distribution besides payloads: the manifest and autorun.inf.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "pack/commands.h"

namespace setup::pack {

// Writes DIST/setup.sum listing the payloads (their names below `dist` as the installer opens
// them, Windows-1252 with '/' or '\' between folders) and the script, texts, autorun.inf and
// installer found there. False after reporting an error.
bool WriteManifest(const Command& self, const std::filesystem::path& dist,
                   const std::vector<std::string>& payloads);

// The product name as the installer's first argument: '*' for each blank. Nothing when the
// name cannot be passed on a command line (quotes, control characters).
std::optional<std::string> StarredName(const std::string& name);

// Writes DIST/autorun.inf starting `installer` with the product name and prints the command
// line to use. False after reporting an error.
bool WriteAutorun(const Command& self, const std::filesystem::path& dist,
                  const std::string& installer, const std::string& name);

// The sources of the F lines of a scrambled script, read as the installer reads its lines: the
// distribution's payload files.
std::vector<std::string> PayloadSources(const std::string& scrambled);

// The product name of an autorun.inf's open= line, or nothing.
std::optional<std::string> ReadAutorunName(const std::filesystem::path& dist);

}  // namespace setup::pack
