// The installation record on disk: beside its installation, its digest in the product's
// uninstall key under HKEY_LOCAL_MACHINE, where a plain user cannot write it.
#pragma once

#include <string>

#include "base/installation_record.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace setup {

enum class RecordStatus {
  kMissing,    // neither the record nor its side file is there
  kTrusted,    // read whole, its digest is the one stored, and it names `directory`
  kUntrusted,  // there, but damaged, changed or another installation's: never acted on
};

struct StoredRecord {
  RecordStatus status = RecordStatus::kMissing;
  InstallationRecord record;
  std::string problem;  // why it is not trusted
};

// The size and SHA-256 of the file at `path`; false when it cannot be read whole.
[[nodiscard]] bool DigestFile(FileSystem& files, const std::string& path, std::uint64_t* size,
                              Sha256Digest* digest);

// The record's side file: a save writes it first, then renames it over the record.
[[nodiscard]] std::string RecordSidePath(const std::string& directory);
[[nodiscard]] std::string RecordPath(const std::string& directory);

// Reads `directory`'s record. A save killed after the digest was stored but before the rename
// left the new text in the side file: that one is trusted then.
[[nodiscard]] StoredRecord ReadInstallationRecord(FileSystem& files, Registry& registry,
                                                  const std::string& directory);

// Writes the side file, stores its digest, makes the registry durable, then renames: a kill at
// any point leaves one file whose digest is stored. False when any of it failed.
[[nodiscard]] bool WriteInstallationRecord(FileSystem& files, Registry& registry,
                                           const std::string& directory,
                                           const InstallationRecord& record);

}  // namespace setup
