// The installer's check of distribution files against "setup.sum" before it uses them.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "install/manifest_format.h"
#include "platform/file_system.h"
#include "platform/window_system.h"

namespace setup {

struct InstallContext;

class PayloadManifest {
 public:
  // Nothing when the distribution has no manifest (no entry of that name). A manifest that
  // cannot be opened or read, or does not parse, holds no entries and a reason, so every check
  // against it fails.
  static std::optional<PayloadManifest> Load(FileSystem& files);

  // Why the file at `path` (relative to the current directory) is damaged, or nothing when it
  // matches. A file that cannot be opened is not judged here: whoever opens it next reports
  // that as today. One that is not listed counts as damaged only when `mustBeListed`. The size
  // is compared first and at most one byte more than the listed size is read.
  std::optional<std::string> Problem(FileSystem& files, const std::string& path,
                                     bool mustBeListed) const;

 private:
  std::vector<ManifestEntry> entries_;
  std::unordered_map<std::string, std::size_t> byName_;  // ComparableName -> index in entries_
  std::string unreadable_;
};

// The box that names a damaged file and says where to get a new copy.
void ShowDamagedFileBox(WindowSystem& windows, const std::string& name, const std::string& reason);

// Before a payload is expanded: true when there is no manifest or the payload matches it;
// otherwise logs, shows the box and answers false, and the caller fails the expansion.
bool PayloadIsIntact(const InstallContext& context, const std::string& source);

// At start-up: the script and both texts, where the manifest lists them. False after the box.
bool DistributionFilesIntact(FileSystem& files, WindowSystem& windows,
                             const PayloadManifest& manifest);

}  // namespace setup
