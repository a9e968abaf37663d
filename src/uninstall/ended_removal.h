// The removal's last step, marked on the disk while it runs: a rerun after a kill there finds
// the mark beside nothing but the uninstaller, its script copy and empty folders, and finishes
// those, although the record and the product's key are gone. Without the mark such a folder is
// a copy left behind, and stays.
#pragma once

#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/program_remover.h"
#include "platform/registry.h"

namespace setup {

inline constexpr const char* kEndedRemovalMarkName = "uninstall.~end";

// The mark in the folder of the uninstaller.
[[nodiscard]] std::string EndedRemovalMarkPath(const std::string& programDir);

// Whether `programDir` holds the mark and nothing but it, the uninstaller `programPath`, its
// script copy, a record's side file and folders that in turn hold nothing. A link is never
// taken for a leftover.
[[nodiscard]] bool IsEndedRemoval(FileSystem& files, const std::string& programDir,
                                  const std::string& programPath);

// Removes those: the empty folders, the script copy and the mark, then the uninstaller and its
// folder (once it has ended, where the system wants that), and the product's key when the kill
// left it empty (`product`: when the script copy still names it). False when something stayed.
[[nodiscard]] bool FinishEndedRemoval(FileSystem& files, Registry& registry,
                                      ProgramRemover& remover, const std::string& programDir,
                                      const std::string& programPath,
                                      const std::optional<std::string>& product);

}  // namespace setup
