// What a removal killed in its last step leaves behind: the uninstaller, its script copy and
// empty folders, which a rerun finishes although the record and the product's key are gone.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/registry.h"

namespace setup {

// Whether `directory` holds nothing but the files named in `leftovers` (full paths, letter case
// ignored) and folders that in turn hold nothing else. A link is never a leftover.
[[nodiscard]] bool HoldsOnlyLeftovers(FileSystem& files, const std::string& directory,
                                      const std::vector<std::string>& leftovers);

// Whether the product's own key is there and holds values or keys: a removal killed between
// its last value and the key itself leaves it empty.
[[nodiscard]] bool ProductKeyHoldsAnything(Registry& registry, const std::string& product);

}  // namespace setup
