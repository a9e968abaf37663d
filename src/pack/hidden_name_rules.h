// Which hidden names hide more of the installation log than the author can have meant.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace setup::pack {

// Why `name` hides log lines that have nothing to do with it (it occurs in the time stamp that
// starts every line, names a whole drive, or occurs in the installer's own words); nothing when
// it is specific enough. Letter case does not matter, as for the installer.
[[nodiscard]] std::optional<std::string> CommonHiddenNameReason(std::string_view name);

}  // namespace setup::pack
