// What an earlier setup-pack build left in the distribution folder a new build writes into.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "pack/commands.h"

namespace setup::pack {

struct PreviousBuild {
  int removed = 0;                   // files the earlier build made, removed
  std::vector<std::string> changed;  // files its setup.sum lists that were changed since: kept
};

// Removes from `dist` every file its setup.sum lists that is still what that build made (size
// and SHA-256), setup.sum itself, and the folders that leaves empty. A file the manifest does
// not list, or one changed since, is never removed; neither is anything reached through a
// symbolic link. Without a setup.sum there is nothing to do. False after a report when the
// manifest cannot be read: nobody can tell then which files are the earlier build's.
bool RemovePreviousBuild(const Command& self, const std::filesystem::path& dist,
                         PreviousBuild* result);

}  // namespace setup::pack
